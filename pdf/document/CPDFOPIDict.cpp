#include "pdf/document/CPDFOPIDict.h"

#include "pdf/document/CPDFFileSpec.h"
#include "pdf/object/CPDFFamily.h"

namespace {

const CPDFFamilyMember<CPDFOPIDict> kVersions[] = {
    MakeFamilyMember<CPDFOPIDict, CPDFOPI13, CPDFDict>(1),
    MakeFamilyMember<CPDFOPIDict, CPDFOPI20, CPDFDict>(2),
};

}  // namespace

CPDFOPIDict* CPDFOPIDict::CreateOPIDict(CPDFObjRegistry* doc, CPDFObject* object, int32_t mask) {
  return CreateFamilyMember(kVersions, doc, object, mask);
}

CPDFDict* CPDFOPIDict::CheckVersion(CPDFObjRegistry* doc, CPDFObject* object,
                                    const CPDFName& versionKey, const CPDFNumber& version) {
  auto* outer = dynamic_cast<CPDFDict*>(object);
  if (!outer) return nullptr;
  auto* dict = PDFGetAs<CPDFDict>(outer, doc, versionKey);
  if (!dict || dict->IsType(kStream)) return nullptr;
  auto* type = PDFGetAs<CPDFName>(dict, doc, Key_Type());
  if (!type || !type->IsEqual(Name_OPI())) return nullptr;
  auto* number = PDFGetAs<CPDFNumber>(dict, doc, Key_Version());
  if (!number || !number->IsType(kNumber) || number->NotEqual(version)) return nullptr;
  CPDFObject* f = dict->Get(doc, Key_F());
  if (!f || !f->IsType(kString | kDictionary)) return nullptr;
  return dict;
}

// Version 1.3.

const CPDFNumber& CPDFOPI13::Version() {
  static const CPDFNumber version(1.3f);
  return version;
}

bool CPDFOPI13::Check(CPDFObjRegistry* doc, CPDFObject* object) {
  CPDFDict* dict = CheckVersion(doc, object, Key_Version13(), Version());
  if (!dict) return false;
  for (const CPDFName* key : {&Key_CropRect(), &Key_Position(), &Key_Size()}) {
    if (!PDFGetAs<CPDFArray>(dict, doc, *key)) return false;
  }
  return true;
}

bool CPDFOPI13::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source, [&] {
    CPDFDict* version = Get_OPI();
    // F, CropRect and Size are required; an F string stays a string.
    return version && PDFTypeEntry<CPDFFileSpec>(version, doc, Key_F(), PDFEntry::kRequired) &&
           Get_CropRect() && Get_Size() && PDFTypeElements<CPDFInt>(Get_CropRect(), doc) &&
           PDFTypeEntry<CPDFText>(version, doc, Key_Comments()) &&
           PDFTypeElements<CPDFReal>(Get_CropFixed(), doc) &&
           PDFTypeElements<CPDFInt>(Get_ImageType(), doc) &&
           PDFTypeElements<CPDFInt>(Get_Size(), doc) &&
           PDFTypeElements<CPDFInt>(Get_Tags(), doc, 0, 2);
  });
}

CPDFObject* CPDFOPI13::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}

CPDFDict* CPDFOPI13::Get_OPI(CPDFObjRef* ref) {
  return PDFGetAs<CPDFDict>(this, GetDoc(), Key_Version13(), ref);
}

bool CPDFOPI13::Set_OPI(CPDFDict* value, bool indirect, CPDFObjRef* ref) {
  return PDFSetAs(this, GetDoc(), Key_Version13(), value, indirect, ref);
}

// Version 2.0.

const CPDFNumber& CPDFOPI20::Version() {
  static const CPDFNumber version(2.0f);
  return version;
}

bool CPDFOPI20::Check(CPDFObjRegistry* doc, CPDFObject* object) {
  return CheckVersion(doc, object, Key_Version20(), Version()) != nullptr;
}

bool CPDFOPI20::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source, [&] {
    CPDFDict* version = Get_OPI();
    if (!version || !PDFTypeEntry<CPDFFileSpec>(version, doc, Key_F(), PDFEntry::kRequired) ||
        !PDFTypeElements<CPDFInt>(Get_IncludedImageDimensions(), doc)) {
      return false;
    }
    // Inks: the ink kind, then pairs of ink name and tint. A pair without
    // its tint fails.
    if (auto* inks = dynamic_cast<CPDFArray*>(Get_Inks())) {
      if (inks->GetCount() > 1 && inks->GetCount() % 2 == 0) return false;
      if (!PDFTypeElements<CPDFReal>(inks, doc, 2, 2)) return false;
    }
    return PDFTypeElements<CPDFInt>(Get_Tags(), doc, 0, 2);
  });
}

CPDFObject* CPDFOPI20::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}

CPDFDict* CPDFOPI20::Get_OPI(CPDFObjRef* ref) {
  return PDFGetAs<CPDFDict>(this, GetDoc(), Key_Version20(), ref);
}

bool CPDFOPI20::Set_OPI(CPDFDict* value, bool indirect, CPDFObjRef* ref) {
  return PDFSetAs(this, GetDoc(), Key_Version20(), value, indirect, ref);
}
