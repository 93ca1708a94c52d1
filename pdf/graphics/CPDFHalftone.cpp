#include "pdf/graphics/CPDFHalftone.h"

#include <memory>

#include "pdf/document/CPDFLoadDepth.h"
#include "pdf/object/CPDFFamily.h"

namespace {

constexpr CPDFFamilyMember<CPDFHalftone> kMembers[] = {
    MakeFamilyMember<CPDFHalftone, CPDFType1Ht, CPDFDict>(CPDFType1Ht::kBit),
    MakeFamilyMember<CPDFHalftone, CPDFType5Ht, CPDFDict>(CPDFType5Ht::kBit),
    MakeFamilyMember<CPDFHalftone, CPDFType6Ht, CPDFDict>(CPDFType6Ht::kBit),
    MakeFamilyMember<CPDFHalftone, CPDFType10Ht, CPDFDict>(CPDFType10Ht::kBit),
    MakeFamilyMember<CPDFHalftone, CPDFType16Ht, CPDFDict>(CPDFType16Ht::kBit),
    MakeFamilyMember<CPDFHalftone, CPDFHalftone, CPDFDict>(CPDFHalftone::kNamedBit),
};

}  // namespace

bool CPDFHalftone::TypeKey(CPDFObjRegistry* doc, const ConvertedKey& what) {
  CPDFDict* dict = this;
  const CPDFName key(what.key);
  switch (what.convert) {
    case Convert::kNumber: return PDFTypeEntry<CPDFInt>(dict, doc, key, what.entry);
    case Convert::kFunction:
      return PDFTypeEntry(dict, doc, key, CPDFObject::kDictionary | CPDFObject::kStream,
                          PDFFactory(&CPDFFunction::CreateFunction, doc), what.entry);
    case Convert::kHalftone:
      return PDFTypeEntry(
          dict, doc, key, CPDFObject::kDictionary,
          PDFFactory(&CPDFHalftone::CreateHalftone, doc, CPDFHalftone::kAllButType5), what.entry);
  }
  return true;
}

CPDFHalftone* CPDFHalftone::CreateHalftone(CPDFObjRegistry* doc, CPDFObject* object, int32_t mask) {
  return CreateNestedFamilyMember<kMembers>(doc, object, mask);
}

bool CPDFHalftone::Check(CPDFObjRegistry* doc, CPDFDict* dict) {
  auto* type = PDFGetAs<CPDFName>(dict, doc, Key_Type());
  return type && type->IsEqual(TypeName());
}

bool CPDFHalftone::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source);
}

CPDFHalftone* CPDFHalftone::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}

bool CPDFHalftone::CheckTyped(CPDFObjRegistry* doc, CPDFDict* dict, const CPDFInt& value) {
  if (!Check(doc, dict) || dict->Get(doc, Key_HalftoneName())) return false;
  return PDFCheckTypeNumber(dict, doc, Key_HalftoneType(), value, PDFTypeMatch::kInteger);
}

bool CPDFHalftone::LoadTyped(CPDFObjRegistry* doc, CPDFDict* source, const CPDFInt& value,
                             std::span<const ConvertedKey> keys) {
  return PDFLoadFrame(this, doc, source, [&] {
    if (!PDFSetType(this, GetDoc(), Key_HalftoneType(), value)) return false;
    for (const auto& converted : keys) {
      if (!TypeKey(doc, converted)) return false;
    }
    return true;
  });
}
