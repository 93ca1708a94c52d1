#include "pdf/object/CPDFDataStruct.h"

#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFString.h"

CPDFObject* CPDFStructBase::GetObjectPart() { return dynamic_cast<CPDFObject*>(this); }

CPDFStructBase* CPDFStructBase::GetEntry(const CPDFName& key, CPDFObjRef* ref) {
  if (ref) ref->Reset();
  auto* dict = dynamic_cast<CPDFDict*>(this);
  if (!dict) return nullptr;
  return dynamic_cast<CPDFStructBase*>(dict->Get(doc_, key, ref));
}

bool CPDFStructBase::SetEntry(const CPDFName& key, CPDFStructBase* value, bool indirect,
                              CPDFObjRef* ref) {
  auto* dict = dynamic_cast<CPDFDict*>(this);
  if (!dict || !value) return false;
  CPDFObject* part = value->GetObjectPart();
  if (!part) return false;
  return dict->Set(doc_, key, part, indirect, ref);
}

bool CopyDataStruct(CPDFStructBase* source, CPDFStructBase* dest, CPDFObjRegistry* doc,
                    CPDFObjRegistry* sourceDoc, bool overwrite) {
  if (!source || !dest) return false;
  try {
    CPDFStructBase::Duplicate(dest, doc, sourceDoc);
    if (auto* from = dynamic_cast<CPDFDict*>(source)) {
      auto* to = dynamic_cast<CPDFDict*>(dest);
      return to && from->Duplicate(to, doc, sourceDoc, overwrite);
    }
    if (auto* from = dynamic_cast<CPDFArray*>(source)) {
      auto* to = dynamic_cast<CPDFArray*>(dest);
      return to && from->Duplicate(to, doc, sourceDoc, overwrite);
    }
    if (auto* from = dynamic_cast<CPDFString*>(source)) {
      auto* to = dynamic_cast<CPDFString*>(dest);
      return to && from->Duplicate(to, doc, sourceDoc, overwrite);
    }
    return false;
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFDataStruct", "CopyDataStruct");
  }
}
