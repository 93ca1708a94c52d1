#pragma once
// The font descriptor dictionary (/Type /FontDescriptor): a font's metrics
// and flags, and the streams of its embedded program. The fonts read
// descriptors from documents through this class; BuildFontDescriptor makes
// one from AFM metrics for the standard fonts.
#include <cstdint>

#include "pdf/font/CPDFFontFile.h"
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFName.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFRect.h"
#include "pdf/object/CPDFTypedStruct.h"

class AFMFile;

class CPDFFontDesc : public CPDFDataStruct, public CPDFDict {
 public:
  // Loads of this class count against the nesting limit (CPDFLoadDepth).
  static constexpr bool kNestedLoad = true;
  CPDFFontDesc() : CPDFDataStruct(kFontDescriptor) {}
  ~CPDFFontDesc() override = default;

  PDF_CONST_NAME(TypeName, "FontDescriptor")
  PDF_CONST_NAME(Key_Type, "Type")
  // The required keys, read by Check (present, of these types) and Load
  // (present).
  static constexpr PDFRequiredKey kRequired[] = {
      {"Ascent", kNumber},  {"CapHeight", kNumber}, {"Descent", kNumber},     {"Flags", kNumber},
      {"FontBBox", kArray}, {"FontName", kName},    {"ItalicAngle", kNumber}, {"StemV", kNumber}};

  // Type the name FontDescriptor; Ascent, CapHeight, Descent, Flags,
  // ItalicAngle and StemV numbers read from a file (an integer made in
  // memory does not count); FontBBox an array; FontName a name. References
  // are resolved.
  static bool Check(CPDFObjRegistry* doc, CPDFObject* object);
  // Check for a value reached through a font's /FontDescriptor, whose key
  // already names its class: /Type may be absent (when present it must be
  // FontDescriptor); the rest of the shape is checked as in Check. Check
  // itself, which guesses the class from the shape, stays strict.
  static bool CheckKeyed(CPDFObjRegistry* doc, CPDFObject* object);
  // Types the value under the key (a font's /FontDescriptor) as a
  // descriptor when it passes CheckKeyed, as PDFTypeEntry does.
  static bool TypeKeyedEntry(CPDFDict* dict, CPDFObjRegistry* doc, const CPDFName& key,
                             PDFEntry rule = PDFEntry::kOptional);
  // Takes over the source's entries; fails (entries given back) when a key
  // of kRequired is absent. Ascent, CapHeight, Descent, Flags, ItalicAngle
  // and StemV and the optional AvgWidth, Leading, MaxWidth, MissingWidth,
  // StemH and XHeight become integers; FontBBox a rectangle when it holds
  // four numbers; FontFile
  // and FontFile2 font files when they pass that Check, FontFile3 when it
  // passes CPDFFontFile::CheckKeyed (Length1 is not its key); each
  // entry of FD a descriptor when it passes Check (unless the typed loads
  // already nest too deep: the entries then stay raw). False, every entry
  // given back, when a required key is absent or a conversion fails.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  // Sets the document, /Type and the eight keys as direct values. False on
  // the first failure, leaving the keys stored so far.
  bool Create(CPDFObjRegistry* doc, int32_t ascent, int32_t capHeight, int32_t descent,
              int32_t flags, const CPDFRect& fontBBox, const char* fontName, int32_t italicAngle,
              int32_t stemV);
  CPDFFontDesc* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  PDF_ACCESSOR(Ascent, CPDFInt)
  PDF_ACCESSOR(CapHeight, CPDFInt)
  PDF_ACCESSOR(Descent, CPDFInt)
  PDF_ACCESSOR(Flags, CPDFInt)
  PDF_ACCESSOR(ItalicAngle, CPDFInt)
  PDF_ACCESSOR(StemV, CPDFInt)
  PDF_ACCESSOR(AvgWidth, CPDFInt)
  PDF_ACCESSOR(Leading, CPDFInt)
  PDF_ACCESSOR(MaxWidth, CPDFInt)
  PDF_ACCESSOR(MissingWidth, CPDFInt)
  PDF_ACCESSOR(StemH, CPDFInt)
  PDF_ACCESSOR(XHeight, CPDFInt)
  PDF_ACCESSOR(FontBBox, CPDFRect)
  PDF_ACCESSOR(FontFile, CPDFFontFile)
  PDF_ACCESSOR(FontFile2, CPDFFontFile)
  PDF_ACCESSOR(FontFile3, CPDFFontFile)

  PDF_GETTER(FD, CPDFDict)
  PDF_SETTER(FontName, CPDFName)
  // Stores a new name FontDescriptor under /Type.
  PDF_TYPE_SETTER(Type, TypeName)
};

// A new descriptor (the caller owns it) for a font of the metrics, named
// baseFont: Ascent, CapHeight, Descent, ItalicAngle and StemV (the
// lower-case stemV, or StdVW when that is 0) from the metrics, the FontBBox
// integers as reals, and
// Flags non-symbolic (symbolic for Symbol and ZapfDingbats), plus fixed
// pitch when the metrics say so. None for the metrics of a CID font or on
// failure.
CPDFFontDesc* BuildFontDescriptor(CPDFObjRegistry* doc, const AFMFile& metrics,
                                  const char* baseFont);
