#pragma once
// The Type 1 font dictionary (/Subtype /Type1), the fourteen standard fonts
// included. It measures text and writes /Widths from AFM metrics through an
// encoding table, and gives a standard font a descriptor built from its
// metrics when asked.
#include <cstdint>

#include "pdf/font/CPDFFont.h"
#include "pdf/font/CPDFFontDesc.h"
#include "pdf/object/CPDFNumber.h"

class CPDFType1Font : public CPDFFont {
 public:
  CPDFType1Font() : CPDFFont(kType1Font, "Type1") {}
  ~CPDFType1Font() override = default;

  PDF_CONST_NAME(SubtypeName, "Type1")

  // One of the fourteen standard font names, compared exactly.
  static bool IsStandardFont(const char* baseFont);

  // The font check, /Subtype Type1, and for a font that is not standard
  // FirstChar and LastChar numbers as read from a file, Widths an array and
  // FontDescriptor a dictionary.
  static bool Check(CPDFObjRegistry* doc, CPDFObject* object);
  // Takes over the source's entries; FirstChar, LastChar and the numbers of
  // Widths become integers, an /Encoding dictionary an encoding, a
  // /FontDescriptor dictionary a descriptor. False, the entries given back,
  // when a conversion fails or a Widths element cannot be fetched.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  // A new Type 1 font of the document: /Type, /BaseFont and /Subtype.
  bool Create(CPDFObjRegistry* doc, const char* baseFont);
  CPDFType1Font* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;
  const CPDFName& GetNamePrefix() override;

  PDF_ACCESSOR(FirstChar, CPDFNumber)
  PDF_ACCESSOR(LastChar, CPDFNumber)
  PDF_ACCESSOR(Widths, CPDFArray)
  PDF_ACCESSOR(FontDescriptor, CPDFFontDesc)
  // Stores a new name Type1 under /Subtype.
  PDF_TYPE_SETTER(Subtype, SubtypeName)

  // Not a standard font: the /FontDescriptor entry. A standard font: a
  // descriptor built from its metrics, made once per document and kept by
  // the document (never stored in the font's dictionary; a caller that wants
  // it there stores a Clone). None without metrics or for CID metrics.
  CPDFFontDesc* GetFontDescriptor() override;
  // A standard font that is not embedded (its /FontDescriptor, when there
  // is one, holds no font file): StandardEncoding for the twelve Latin
  // fonts, the codes of the metrics for Symbol and ZapfDingbats. None for
  // any other font.
  EncodingTable* BuiltInEncoding() override;
  // The width of the text from /Widths, or else from the AFM metrics of the
  // BaseFont: each code's glyph name, through /Encoding, gives the AFM
  // width of that name (0 for a name the metrics lack or a code without
  // one). /Encoding is a predefined encoding's name (the built-in encoding
  // when absent) or an encoding dictionary: its /Differences, else its
  // /BaseEncoding (else the built-in encoding, else StandardEncoding). A
  // name the metrics lack is measured by their glyph of the same character
  // ("uni0144" as nacute). Metrics with an encoding of
  // their own (EncodingScheme FontSpecific: Symbol, ZapfDingbats) read a
  // code that no /Differences names through that built-in encoding, the
  // code of each glyph in the metrics, whatever base encoding is named. -1
  // on failure with the document's error record filled.
  int32_t CalcStringWidth(const uint8_t* text, int32_t length) override;
  // Rewrites /Widths from the AFM metrics, code by code as
  // CalcStringWidth measures them (a new indirect array, with FirstChar 0
  // and LastChar 255 unless given, when there is none). A glyph that
  // /Differences names and the metrics lack fails it with "no metrics for
  // glyph %s of %s" and leaves the dictionary unchanged, rather than write
  // a width of 0 that viewers would take as the glyph's.
  bool UpdateCharWidth() override;
};
