#pragma once
// The TrueType font dictionary (/Subtype /TrueType). It measures text and
// writes /Widths from the widths of the installed TrueType font of the same
// name; a byte of text is that font's character code.
#include <cstdint>

#include "pdf/font/CPDFFont.h"
#include "pdf/font/CPDFFontDesc.h"
#include "pdf/object/CPDFNumber.h"

class CPDFTrueTypeFont : public CPDFFont {
 public:
  CPDFTrueTypeFont() : CPDFFont(kTrueTypeFont, "TrueType") {}
  ~CPDFTrueTypeFont() override = default;

  PDF_CONST_NAME(SubtypeName, "TrueType")

  // The font check and /Subtype TrueType.
  static bool Check(CPDFObjRegistry* doc, CPDFObject* object);
  // The Type 1 font's conversions.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  CPDFTrueTypeFont* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;
  const CPDFName& GetNamePrefix() override;

  // The family the installed font is looked up by: the BaseFont text up to
  // its first comma ("Arial,Bold" gives "Arial"; the style picks the face,
  // see FontResourceCache::GetTrueTypeFace). A new name the caller owns;
  // none for no text or a text of 256 bytes or more.
  static CPDFName* GetFontInfoName(const char* baseFont);

  PDF_ACCESSOR(FirstChar, CPDFNumber)
  PDF_ACCESSOR(LastChar, CPDFNumber)
  PDF_ACCESSOR(Widths, CPDFArray)
  PDF_ACCESSOR(FontDescriptor, CPDFFontDesc)
  // Stores a new name TrueType under /Subtype.
  PDF_TYPE_SETTER(Subtype, SubtypeName)

  // The /FontDescriptor entry.
  CPDFFontDesc* GetFontDescriptor() override { return Get_FontDescriptor(); }
  // The width of the text from /Widths, or else from the installed face's
  // widths (A + B + C per code; 0 for a code it has no widths for): the
  // face of the BaseFont's family in the style after its comma, a subset
  // prefix ignored. -1 on failure with the document's error record filled.
  int32_t CalcStringWidth(const uint8_t* text, int32_t length) override;
  // Rewrites /Widths from the installed font's widths.
  bool UpdateCharWidth() override;
};
