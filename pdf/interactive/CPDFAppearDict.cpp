#include "pdf/interactive/CPDFAppearDict.h"

#include "pdf/object/CPDFName.h"

bool CPDFAppearDict::Check(CPDFObjRegistry* doc, CPDFObject* object) {
  auto* dict = dynamic_cast<CPDFDict*>(object);
  if (!dict) return false;
  CPDFObject* normal = dict->Get(doc, Key_N());
  return normal && normal->IsType(kDictionary | kStream);
}

bool CPDFAppearDict::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source);
}

CPDFObject* CPDFAppearDict::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}

bool CPDFBorderStyle::Check(CPDFObjRegistry* doc, CPDFObject* object) {
  auto* dict = dynamic_cast<CPDFDict*>(object);
  if (!dict) return false;
  CPDFObject* type = dict->Get(doc, Key_Type());
  if (!type) return true;
  auto* name = dynamic_cast<CPDFName*>(type);
  return name && name->IsEqual(TypeName());
}

bool CPDFBorderStyle::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source);
}

CPDFObject* CPDFBorderStyle::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}
