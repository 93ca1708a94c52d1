#pragma once
// Shading resources: dictionaries with a ShadingType and a ColorSpace.
// CreateShading turns a raw dictionary read from a file into the type class
// that accepts it. The seven type classes are one template over the
// ShadingType number: what each one checks and converts is a row of the
// table in CPDFShading.cpp.
#include <cstdint>

#include "pdf/document/CPDFColorSpace.h"
#include "pdf/document/CPDFFunction.h"
#include "pdf/document/CPDFResource.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFMatrix.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFRect.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFShading : public CPDFResource, public CPDFDict {
 public:
  // Loads of this class count against the nesting limit (CPDFLoadDepth).
  static constexpr bool kNestedLoad = true;
  ~CPDFShading() override = default;

  // The type class whose Check first accepts the dictionary (types tried in
  // bit order, each only when its bit is in the mask: bit 1 << (n - 1) for
  // ShadingType n), built and loaded; none when no type accepts, when that
  // type's load fails, or when the shadings nest too deep. Never throws; the
  // caller owns the result.
  static CPDFShading* CreateShading(CPDFObjRegistry* doc, CPDFObject* object, int32_t mask);

  // ColorSpace present, a name or an array.
  static bool Check(CPDFObjRegistry* doc, CPDFDict* dict);

  // One Clone per type serves both the resource's and the dictionary's slot.
  CPDFShading* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override = 0;
  // "Sh" and "Shading" for every type.
  const CPDFName& GetNamePrefix() override;
  const CPDFName& GetCategoryName() override { return CategoryName(kShading); }

  // The type's factory bit and its name ("Type2").
  uint32_t GetTypeBit() const { return typeBit_; }
  const char* GetTypeName() const { return typeName_; }

  PDF_CONST_NAME(Key_ShadingType, "ShadingType")
  // A name, or an array (typed as a colour space when one accepts it).
  PDF_ACCESSOR(ColorSpace, CPDFObject)
  PDF_ACCESSOR(BBox, CPDFRect)
  // A function, or an array of functions, or a value no function takes.
  PDF_ACCESSOR(Function, CPDFObject, CPDFFunction)

 protected:
  CPDFShading(uint32_t typeBit, const char* typeName)
      : CPDFResource(kShading), typeBit_(typeBit), typeName_(typeName) {}

  // The conversions every type runs first, inside its load frame: ColorSpace
  // (required) and BBox.
  bool LoadBase(CPDFObjRegistry* doc);

 private:
  uint32_t typeBit_ = 0;
  const char* typeName_ = "";
};

// The shading type classes CPDFType1Sh ... CPDFType7Sh.
template <int32_t N>
class CPDFTypedShading : public CPDFShading {
  static_assert(N >= 1 && N <= 7, "ShadingType 1 to 7");

 public:
  static constexpr uint32_t kBit = 1u << (N - 1);

  CPDFTypedShading() : CPDFShading(kBit, TypeNameOf()) {}
  ~CPDFTypedShading() override = default;

  // The ShadingType constant.
  static const CPDFInt& TypeValue() {
    static const CPDFInt value(static_cast<int>(N));
    return value;
  }

  static bool Check(CPDFObjRegistry* doc, CPDFDict* dict);
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  CPDFTypedShading* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override {
    return PDFClone(this, doc, sourceDoc);
  }

  // Stores a direct copy of the ShadingType constant.
  PDF_TYPE_SETTER(ShadingType, TypeValue)

  // Type 1: the domain's mapping into the shading's space.
  PDF_ACCESSOR_WHERE(N == 1, Matrix, CPDFMatrix, CPDFMatrix)
  // The mesh types' integers: the getter answers the number as stored, the
  // setter takes an integer.
  PDF_ACCESSOR_WHERE(N >= 4, BitsPerCoordinate, CPDFNumber, CPDFInt)
  PDF_ACCESSOR_WHERE(N >= 4, BitsPerComponent, CPDFNumber, CPDFInt)
  PDF_ACCESSOR_WHERE(N >= 4 && N != 5, BitsPerFlag, CPDFNumber, CPDFInt)
  PDF_ACCESSOR_WHERE(N == 5, VerticesPerRow, CPDFNumber, CPDFInt)

 private:
  static constexpr const char* TypeNameOf() {
    constexpr const char* kNames[] = {"Type1", "Type2", "Type3", "Type4",
                                      "Type5", "Type6", "Type7"};
    return kNames[N - 1];
  }
};

using CPDFType1Sh = CPDFTypedShading<1>;
using CPDFType2Sh = CPDFTypedShading<2>;
using CPDFType3Sh = CPDFTypedShading<3>;
using CPDFType4Sh = CPDFTypedShading<4>;
using CPDFType5Sh = CPDFTypedShading<5>;
using CPDFType6Sh = CPDFTypedShading<6>;
using CPDFType7Sh = CPDFTypedShading<7>;

extern template class CPDFTypedShading<1>;
extern template class CPDFTypedShading<2>;
extern template class CPDFTypedShading<3>;
extern template class CPDFTypedShading<4>;
extern template class CPDFTypedShading<5>;
extern template class CPDFTypedShading<6>;
extern template class CPDFTypedShading<7>;
