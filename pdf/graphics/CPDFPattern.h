#pragma once
// Pattern resources (/Type /Pattern): the tiling pattern, a content stream
// with its own resources, and the shading pattern, a dictionary naming a
// shading and a graphics state. Both are held in a stream; CreatePattern
// turns a raw dictionary or stream read from a file into the type class
// that accepts it.
#include <cstdint>

#include "pdf/document/CPDFResDict.h"
#include "pdf/document/CPDFResource.h"
#include "pdf/graphics/CPDFExtGState.h"
#include "pdf/graphics/CPDFShading.h"
#include "pdf/object/CPDFMatrix.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFRect.h"
#include "pdf/object/CPDFStream.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFPattern : public CPDFResource, public CPDFStream {
 public:
  // Loads of this class count against the nesting limit (CPDFLoadDepth).
  static constexpr bool kNestedLoad = true;
  ~CPDFPattern() override = default;

  // The type class whose Check first accepts the object (bit 1 tiling, bit 2
  // shading, each only when its bit is in the mask), built and loaded; none
  // when no type accepts, when that type's load fails, or when the loads
  // nest too deep (a pattern's resources holding patterns). Never throws;
  // the caller owns the result.
  static CPDFPattern* CreatePattern(CPDFObjRegistry* doc, CPDFObject* object, int32_t mask);

  // Type present and the name Pattern.
  static bool Check(CPDFObjRegistry* doc, CPDFDict* dict);

  // The exchange of a load: a stream's entries and data, or a plain
  // dictionary's entries (the data stay empty). Any other object fails.
  bool Assign(CPDFObjRegistry* doc, CPDFDict* source);

  // One Clone per type serves both the resource's and the stream's slot.
  CPDFPattern* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override = 0;
  // "P" and "Pattern" for both types.
  const CPDFName& GetNamePrefix() override;
  const CPDFName& GetCategoryName() override { return CategoryName(kPattern); }

  // The type's factory bit and its name ("Type1").
  uint32_t GetTypeBit() const { return typeBit_; }
  const char* GetTypeName() const { return typeName_; }

  PDF_CONST_NAME(Key_Type, "Type")
  PDF_CONST_NAME(Key_PatternType, "PatternType")
  PDF_ACCESSOR(Matrix, CPDFMatrix)

 protected:
  CPDFPattern(uint32_t typeBit, const char* typeName)
      : CPDFResource(kPattern), typeBit_(typeBit), typeName_(typeName) {}

  // The check both types run: the base check, PatternType read from the
  // file as a number equal to the value (1.0 is 1, 1.5 is nothing), then
  // the type's required keys.
  template <class Rows>
  static bool CheckTyped(CPDFObjRegistry* doc, CPDFDict* dict, const CPDFInt& value,
                         const Rows& required) {
    return Check(doc, dict) &&
           PDFCheckTypeNumber(dict, doc, Key_PatternType(), value, PDFTypeMatch::kValue) &&
           PDFHasRequired(dict, doc, required);
  }
  // The load frame both types run: the exchange, Matrix, the PatternType
  // constant stored directly, then the type's own conversions.
  template <class Convert>
  bool LoadTyped(CPDFObjRegistry* doc, CPDFDict* source, const CPDFInt& value, Convert convert) {
    return PDFLoadFrame(this, doc, source, [&] {
      return PDFTypeEntry<CPDFMatrix>(this, doc, Key_Matrix()) &&
             PDFSetTypeNumber(this, GetDoc(), Key_PatternType(), value) && convert();
    });
  }

 private:
  uint32_t typeBit_ = 0;
  const char* typeName_ = "";
};

// The tiling pattern: written as a stream, its content with it.
class CPDFType1Pat : public CPDFPattern {
 public:
  static constexpr uint32_t kBit = 1;

  CPDFType1Pat() : CPDFPattern(kBit, "Type1") {}
  ~CPDFType1Pat() override = default;

  static const CPDFInt& TypeValue() { return PDFTypeNumber<1>(); }
  // The base check, PatternType 1, then Resources a dictionary, PaintType and
  // TilingType numbers, BBox an array, XStep and YStep numbers.
  static bool Check(CPDFObjRegistry* doc, CPDFDict* dict);
  // Resources becomes a resource dictionary (typing its own resources),
  // PaintType and TilingType integers, BBox a rectangle; each is required.
  // A tiling pattern read as a plain dictionary (malformed) is accepted and
  // written as a stream without data.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  // Entries and data.
  CPDFType1Pat* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  // Stores a direct copy of the PatternType constant.
  PDF_TYPE_SETTER(PatternType, TypeValue)

  PDF_ACCESSOR(Resources, CPDFResDict)
  PDF_ACCESSOR(PaintType, CPDFNumber, CPDFInt)
  PDF_ACCESSOR(TilingType, CPDFNumber, CPDFInt)
  PDF_ACCESSOR(BBox, CPDFRect)
};

// The shading pattern: a dictionary held in a stream object, written as a
// dictionary (no stream keyword, no data).
class CPDFType2Pat : public CPDFPattern {
 public:
  static constexpr uint32_t kBit = 2;

  CPDFType2Pat() : CPDFPattern(kBit, "Type2") {}
  ~CPDFType2Pat() override = default;

  static const CPDFInt& TypeValue() { return PDFTypeNumber<2>(); }
  // The base check, PatternType 2, then Shading and ExtGState dictionaries.
  static bool Check(CPDFObjRegistry* doc, CPDFDict* dict);
  // Shading (required) through the shading factory, none leaving it as
  // read; ExtGState typed when it is a graphics state. A shading pattern
  // read as a stream (malformed) is accepted and written as a dictionary:
  // its data are dropped.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  // The dictionary only: a stream copy would add a Length the written
  // dictionary never had.
  CPDFType2Pat* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;
  void Write(CPDFOutStream& out, const uint8_t* context) override;

  // Stores a direct copy of the PatternType constant.
  PDF_TYPE_SETTER(PatternType, TypeValue)

  PDF_ACCESSOR(Shading, CPDFShading)
  PDF_ACCESSOR(ExtGState, CPDFExtGState)
};
