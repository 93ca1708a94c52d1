#include "pdf/document/CPDFXObject.h"

#include <memory>

#include "pdf/document/CPDFFormXObj.h"
#include "pdf/document/CPDFImageXObj.h"
#include "pdf/document/CPDFPSXObj.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFFamily.h"

bool CPDFXObject::Check(CPDFObjRegistry* doc, CPDFDict* dict) {
  if (!dict) return false;
  auto* type = dynamic_cast<CPDFName*>(dict->Get(doc, Key_Type()));
  return type && type->GetType() == kName && type->IsEqual(TypeName());
}

bool CPDFXObject::Create(CPDFObjRegistry* doc) {
  try {
    return SetDoc(doc) && Set_Type();
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFXObject", "Create");
  }
}

bool CPDFXObject::Load(CPDFObjRegistry* doc, CPDFStream* source) {
  return PDFLoadFrame(this, doc, source);
}

bool CPDFXObject::Duplicate(CPDFXObject* dest, CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc,
                            bool overwrite) const {
  if (!dest) return false;
  dest->SetDoc(doc);
  return CPDFStream::Duplicate(dest, doc, sourceDoc, overwrite);
}

CPDFXObject* CPDFXObject::CreateXObject(CPDFObjRegistry* doc, CPDFObject* object, int32_t mask) {
  static constexpr CPDFFamilyMember<CPDFXObject> kMembers[] = {
      MakeFamilyMember<CPDFXObject, CPDFImageXObj, CPDFStream>(kImage),
      MakeFamilyMember<CPDFXObject, CPDFFormXObj, CPDFStream>(kForm),
      MakeFamilyMember<CPDFXObject, CPDFPSXObj, CPDFStream>(kPostScript),
  };
  return CreateFamilyMember<kMembers>(doc, object, mask);
}
