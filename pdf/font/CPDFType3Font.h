#pragma once
// The two single-byte font kinds that are only read and typed: the Type 3
// font (/Subtype /Type3, glyphs drawn by the content streams of /CharProcs)
// and the Multiple Master instance (/Subtype /MMType1). They measure
// nothing (0), write no widths (false) and have no descriptor logic of
// their own; the text conversions are the base's.
#include <cstdint>

#include "pdf/document/CPDFResDict.h"
#include "pdf/font/CPDFFont.h"
#include "pdf/font/CPDFFontDesc.h"
#include "pdf/object/CPDFMatrix.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFRect.h"

class CPDFType3Font : public CPDFFont {
 public:
  CPDFType3Font() : CPDFFont(kType3Font, "Type3") {}
  ~CPDFType3Font() override = default;

  PDF_CONST_NAME(SubtypeName, "Type3")

  // /Type Font (a Type 3 font has no BaseFont), /Subtype Type3, FirstChar
  // and LastChar numbers as read from a file, Widths, FontBBox and
  // FontMatrix arrays, CharProcs a dictionary, Encoding a name or a
  // dictionary.
  static bool Check(CPDFObjRegistry* doc, CPDFObject* object);
  // Takes over the source's entries; FirstChar, LastChar and the numbers of
  // Widths become integers, FontBBox a rectangle, FontMatrix a matrix,
  // Resources a resource dictionary (whose fonts load in turn), an
  // /Encoding dictionary an encoding. CharProcs stays as read.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  CPDFType3Font* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;
  const CPDFName& GetNamePrefix() override;

  PDF_ACCESSOR(FirstChar, CPDFNumber)
  PDF_ACCESSOR(LastChar, CPDFNumber)
  PDF_ACCESSOR(Widths, CPDFArray)
  PDF_ACCESSOR(FontBBox, CPDFRect)
  PDF_ACCESSOR(FontMatrix, CPDFMatrix)
  PDF_ACCESSOR(Resources, CPDFResDict)
  PDF_ACCESSOR(CharProcs, CPDFDict)
};

class CPDFMMType1Font : public CPDFFont {
 public:
  CPDFMMType1Font() : CPDFFont(kMMType1Font, "MMType1") {}
  ~CPDFMMType1Font() override = default;

  PDF_CONST_NAME(SubtypeName, "MMType1")

  // The font check, /Subtype MMType1, FirstChar and LastChar numbers as
  // read from a file, Widths an array, FontDescriptor a dictionary.
  static bool Check(CPDFObjRegistry* doc, CPDFObject* object);
  // The Type 1 font's conversions.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  CPDFMMType1Font* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;
  const CPDFName& GetNamePrefix() override;

  PDF_ACCESSOR(FirstChar, CPDFNumber)
  PDF_ACCESSOR(LastChar, CPDFNumber)
  PDF_ACCESSOR(Widths, CPDFArray)
  PDF_ACCESSOR(FontDescriptor, CPDFFontDesc)
};
