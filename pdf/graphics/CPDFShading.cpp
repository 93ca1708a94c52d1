#include "pdf/graphics/CPDFShading.h"

#include <memory>

#include "pdf/document/CPDFLoadDepth.h"
#include "pdf/object/CPDFFamily.h"

namespace {

constexpr CPDFFamilyMember<CPDFShading> kMembers[] = {
    MakeFamilyMember<CPDFShading, CPDFType1Sh, CPDFDict>(CPDFType1Sh::kBit),
    MakeFamilyMember<CPDFShading, CPDFType2Sh, CPDFDict>(CPDFType2Sh::kBit),
    MakeFamilyMember<CPDFShading, CPDFType3Sh, CPDFDict>(CPDFType3Sh::kBit),
    MakeFamilyMember<CPDFShading, CPDFType4Sh, CPDFDict>(CPDFType4Sh::kBit),
    MakeFamilyMember<CPDFShading, CPDFType5Sh, CPDFDict>(CPDFType5Sh::kBit),
    MakeFamilyMember<CPDFShading, CPDFType6Sh, CPDFDict>(CPDFType6Sh::kBit),
    MakeFamilyMember<CPDFShading, CPDFType7Sh, CPDFDict>(CPDFType7Sh::kBit),
};

// What a shading type checks and converts.
struct TypeKeys {
  // Keys Check requires beyond the base's and ShadingType, in order, each
  // with the object types it accepts; unused slots are null.
  PDFRequiredKey required[4];
  // Keys Load makes integers (each required), in order; unused slots null.
  const char* integers[3];
  bool functionRequired;
  bool matrix;
};

constexpr int32_t kFunctionTypes =
    CPDFObject::kArray | CPDFObject::kDictionary | CPDFObject::kStream;
constexpr TypeKeys kMesh = {{{"BitsPerCoordinate", CPDFObject::kNumber},
                             {"BitsPerComponent", CPDFObject::kNumber},
                             {"BitsPerFlag", CPDFObject::kNumber},
                             {"Decode", CPDFObject::kArray}},
                            {"BitsPerCoordinate", "BitsPerComponent", "BitsPerFlag"},
                            false,
                            false};
constexpr TypeKeys kAxial = {
    {{"Coords", CPDFObject::kArray}, {"Function", kFunctionTypes}, {}, {}}, {}, true, false};

// Indexed by ShadingType - 1.
constexpr TypeKeys kTypes[] = {
    {{{"Function", kFunctionTypes}, {}, {}, {}}, {}, true, true},
    kAxial,
    kAxial,
    kMesh,
    {{{"BitsPerCoordinate", CPDFObject::kNumber},
      {"BitsPerComponent", CPDFObject::kNumber},
      {"Decode", CPDFObject::kArray},
      {"VerticesPerRow", CPDFObject::kNumber}},
     {"BitsPerCoordinate", "BitsPerComponent", "VerticesPerRow"},
     false,
     false},
    kMesh,
    kMesh,
};

}  // namespace

CPDFShading* CPDFShading::CreateShading(CPDFObjRegistry* doc, CPDFObject* object, int32_t mask) {
  return CreateNestedFamilyMember<kMembers>(doc, object, mask);
}

bool CPDFShading::Check(CPDFObjRegistry* doc, CPDFDict* dict) {
  CPDFObject* space = dict ? dict->Get(doc, Key_ColorSpace()) : nullptr;
  return space && space->IsType(kName | kArray);
}

const CPDFName& CPDFShading::GetNamePrefix() {
  static const CPDFName prefix("Sh");
  return prefix;
}

bool CPDFShading::LoadBase(CPDFObjRegistry* doc) {
  return Get(doc, Key_ColorSpace()) &&
         PDFTypeEntry(
             this, doc, Key_ColorSpace(), kArray,
             PDFFactory(&CPDFColorSpace::CreateColorSpace, doc, CPDFColorSpace::kAllButPattern)) &&
         PDFTypeEntry<CPDFRect>(this, doc, Key_BBox());
}

template <int32_t N>
bool CPDFTypedShading<N>::Check(CPDFObjRegistry* doc, CPDFDict* dict) {
  return CPDFShading::Check(doc, dict) &&
         PDFCheckTypeNumber(dict, doc, Key_ShadingType(), TypeValue(), PDFTypeMatch::kValue) &&
         PDFHasRequired(dict, doc, kTypes[N - 1].required);
}

template <int32_t N>
bool CPDFTypedShading<N>::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  const TypeKeys& keys = kTypes[N - 1];
  return PDFLoadFrame(this, doc, source, [&] {
    if (!LoadBase(doc) || !Set_ShadingType()) return false;
    if (keys.matrix && !PDFTypeEntry<CPDFMatrix>(this, doc, Key_Matrix())) return false;
    for (const char* key : keys.integers) {
      if (!key) break;
      if (!PDFTypeEntry<CPDFInt>(this, doc, CPDFName(key), PDFEntry::kRequired)) return false;
    }
    return PDFTypeEntryOrElements(
        this, doc, Key_Function(), kDictionary | kStream,
        PDFFactory(&CPDFFunction::CreateFunction, doc),
        keys.functionRequired ? PDFEntry::kRequired : PDFEntry::kOptional);
  });
}

template class CPDFTypedShading<1>;
template class CPDFTypedShading<2>;
template class CPDFTypedShading<3>;
template class CPDFTypedShading<4>;
template class CPDFTypedShading<5>;
template class CPDFTypedShading<6>;
template class CPDFTypedShading<7>;
