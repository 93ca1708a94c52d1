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

bool CPDFShading::CheckType(CPDFObjRegistry* doc, CPDFDict* dict, const CPDFInt& type) {
  return CPDFShading::Check(doc, dict) &&
         PDFCheckTypeNumber(dict, doc, Key_ShadingType(), type, PDFTypeMatch::kValue);
}

bool CPDFShading::LoadType(CPDFObjRegistry* doc, CPDFDict* source, const CPDFInt& type,
                           const TypeLoad& load) {
  return PDFLoadFrame(this, doc, source, [&] {
    if (!Get(doc, Key_ColorSpace()) ||
        !PDFTypeEntry(
            this, doc, Key_ColorSpace(), kArray,
            PDFFactory(&CPDFColorSpace::CreateColorSpace, doc, CPDFColorSpace::kAllButPattern)) ||
        !PDFTypeEntry<CPDFRect>(this, doc, Key_BBox()) ||
        !PDFSetType(this, GetDoc(), Key_ShadingType(), type)) {
      return false;
    }
    if (load.matrix && !PDFTypeEntry<CPDFMatrix>(this, doc, CPDFName("Matrix"))) return false;
    for (const char* key : load.integers) {
      if (!key) break;
      if (!PDFTypeEntry<CPDFInt>(this, doc, CPDFName(key), PDFEntry::kRequired)) return false;
    }
    return PDFTypeEntryOrElements(this, doc, Key_Function(), kDictionary | kStream,
                                  PDFFactory(&CPDFFunction::CreateFunction, doc), load.function);
  });
}
