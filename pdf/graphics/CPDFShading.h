#pragma once
// Shading resources: dictionaries with a ShadingType and a ColorSpace.
// CreateShading turns a raw dictionary read from a file into the type class
// that accepts it. Each of the seven type classes is a row of constants over
// CPDFShadingType: its ShadingType, the keys its Check requires and what its
// Load converts.
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
  // What a type's Load converts after the base's keys: Matrix, the keys it
  // makes integers (each required, in order; unused slots null) and
  // Function (typed as a function or an array of functions).
  struct TypeLoad {
    bool matrix;
    const char* integers[3];
    PDFEntry function;
  };
  // The rows the axial and radial types share, and the free-form and both
  // patch mesh types.
  static constexpr int32_t kFunctionTypes = kArray | kDictionary | kStream;
  static constexpr PDFRequiredKey kAxialRequired[] = {{"Coords", kArray},
                                                      {"Function", kFunctionTypes}};
  static constexpr TypeLoad kAxialLoad = {false, {}, PDFEntry::kRequired};
  static constexpr PDFRequiredKey kMeshRequired[] = {{"BitsPerCoordinate", kNumber},
                                                     {"BitsPerComponent", kNumber},
                                                     {"BitsPerFlag", kNumber},
                                                     {"Decode", kArray}};
  static constexpr TypeLoad kMeshLoad = {
      false, {"BitsPerCoordinate", "BitsPerComponent", "BitsPerFlag"}, PDFEntry::kOptional};

  CPDFShading(uint32_t typeBit, const char* typeName)
      : CPDFResource(kShading), typeBit_(typeBit), typeName_(typeName) {}

  // The base check and ShadingType the given value.
  static bool CheckType(CPDFObjRegistry* doc, CPDFDict* dict, const CPDFInt& type);
  // The load frame of a type: ColorSpace (required) and BBox, the
  // ShadingType constant stored, then the row's conversions.
  bool LoadType(CPDFObjRegistry* doc, CPDFDict* source, const CPDFInt& type, const TypeLoad& load);

 private:
  uint32_t typeBit_ = 0;
  const char* typeName_ = "";
};

// One shading type. Self declares its row: kType (its ShadingType), kBit
// (its bit in the factory mask, 1 << (kType - 1)), kName ("Type2"),
// kRequired (the keys Check requires beyond ColorSpace and ShadingType) and
// kLoad. The type gets its constructor, Check, Load and Clone from the row.
template <class Self>
class CPDFShadingType : public CPDFShading {
 public:
  // The ShadingType constant.
  static const CPDFInt& TypeValue() { return PDFTypeNumber<Self::kType>(); }

  static bool Check(CPDFObjRegistry* doc, CPDFDict* dict) {
    return CheckType(doc, dict, TypeValue()) && PDFHasRequired(dict, doc, Self::kRequired);
  }
  bool Load(CPDFObjRegistry* doc, CPDFDict* source) {
    return LoadType(doc, source, TypeValue(), Self::kLoad);
  }
  CPDFShading* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override {
    return PDFClone(static_cast<Self*>(this), doc, sourceDoc);
  }

  // Stores a direct copy of the ShadingType constant.
  PDF_TYPE_SETTER(ShadingType, TypeValue)

 protected:
  CPDFShadingType() : CPDFShading(Self::kBit, Self::kName) {
    static_assert(Self::kBit == 1u << (Self::kType - 1), "ShadingType n has bit 1 << (n - 1)");
  }
};

// Function-based: Matrix maps the domain into the shading's space.
class CPDFType1Sh final : public CPDFShadingType<CPDFType1Sh> {
 public:
  static constexpr int32_t kType = 1;
  static constexpr uint32_t kBit = 0x1;
  static constexpr const char* kName = "Type1";
  static constexpr PDFRequiredKey kRequired[] = {{"Function", kFunctionTypes}};
  static constexpr TypeLoad kLoad = {true, {}, PDFEntry::kRequired};
  PDF_ACCESSOR(Matrix, CPDFMatrix)
};

// Axial.
class CPDFType2Sh final : public CPDFShadingType<CPDFType2Sh> {
 public:
  static constexpr int32_t kType = 2;
  static constexpr uint32_t kBit = 0x2;
  static constexpr const char* kName = "Type2";
  static constexpr const auto& kRequired = kAxialRequired;
  static constexpr TypeLoad kLoad = kAxialLoad;
};

// Radial.
class CPDFType3Sh final : public CPDFShadingType<CPDFType3Sh> {
 public:
  static constexpr int32_t kType = 3;
  static constexpr uint32_t kBit = 0x4;
  static constexpr const char* kName = "Type3";
  static constexpr const auto& kRequired = kAxialRequired;
  static constexpr TypeLoad kLoad = kAxialLoad;
};

// The mesh types' integers: the getters answer the number as stored, the
// setters take an integer.

// Free-form triangle mesh.
class CPDFType4Sh final : public CPDFShadingType<CPDFType4Sh> {
 public:
  static constexpr int32_t kType = 4;
  static constexpr uint32_t kBit = 0x8;
  static constexpr const char* kName = "Type4";
  static constexpr const auto& kRequired = kMeshRequired;
  static constexpr TypeLoad kLoad = kMeshLoad;
  PDF_ACCESSOR(BitsPerCoordinate, CPDFNumber, CPDFInt)
  PDF_ACCESSOR(BitsPerComponent, CPDFNumber, CPDFInt)
  PDF_ACCESSOR(BitsPerFlag, CPDFNumber, CPDFInt)
};

// Lattice-form triangle mesh: VerticesPerRow instead of BitsPerFlag.
class CPDFType5Sh final : public CPDFShadingType<CPDFType5Sh> {
 public:
  static constexpr int32_t kType = 5;
  static constexpr uint32_t kBit = 0x10;
  static constexpr const char* kName = "Type5";
  static constexpr PDFRequiredKey kRequired[] = {{"BitsPerCoordinate", kNumber},
                                                 {"BitsPerComponent", kNumber},
                                                 {"Decode", kArray},
                                                 {"VerticesPerRow", kNumber}};
  static constexpr TypeLoad kLoad = {
      false, {"BitsPerCoordinate", "BitsPerComponent", "VerticesPerRow"}, PDFEntry::kOptional};
  PDF_ACCESSOR(BitsPerCoordinate, CPDFNumber, CPDFInt)
  PDF_ACCESSOR(BitsPerComponent, CPDFNumber, CPDFInt)
  PDF_ACCESSOR(VerticesPerRow, CPDFNumber, CPDFInt)
  // The key the other mesh types make an integer; type 5 leaves it as read.
  PDF_CONST_NAME(Key_BitsPerFlag, "BitsPerFlag")
};

// Coons patch mesh.
class CPDFType6Sh final : public CPDFShadingType<CPDFType6Sh> {
 public:
  static constexpr int32_t kType = 6;
  static constexpr uint32_t kBit = 0x20;
  static constexpr const char* kName = "Type6";
  static constexpr const auto& kRequired = kMeshRequired;
  static constexpr TypeLoad kLoad = kMeshLoad;
  PDF_ACCESSOR(BitsPerCoordinate, CPDFNumber, CPDFInt)
  PDF_ACCESSOR(BitsPerComponent, CPDFNumber, CPDFInt)
  PDF_ACCESSOR(BitsPerFlag, CPDFNumber, CPDFInt)
};

// Tensor-product patch mesh.
class CPDFType7Sh final : public CPDFShadingType<CPDFType7Sh> {
 public:
  static constexpr int32_t kType = 7;
  static constexpr uint32_t kBit = 0x40;
  static constexpr const char* kName = "Type7";
  static constexpr const auto& kRequired = kMeshRequired;
  static constexpr TypeLoad kLoad = kMeshLoad;
  PDF_ACCESSOR(BitsPerCoordinate, CPDFNumber, CPDFInt)
  PDF_ACCESSOR(BitsPerComponent, CPDFNumber, CPDFInt)
  PDF_ACCESSOR(BitsPerFlag, CPDFNumber, CPDFInt)
};
