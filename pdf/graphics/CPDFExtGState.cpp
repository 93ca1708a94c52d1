#include "pdf/graphics/CPDFExtGState.h"

#include "pdf/graphics/DictResource.h"

bool CPDFExtGState::Check(CPDFObjRegistry* doc, CPDFDict* dict) {
  static const CPDFName kType("Type");
  if (!dict) return false;
  auto* type = dynamic_cast<CPDFName*>(dict->Get(doc, kType));
  return type && type->IsEqual("ExtGState");
}

bool CPDFExtGState::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return LoadDictResource(this, this, doc, source);
}

CPDFExtGState* CPDFExtGState::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return CloneDictResource(this, doc, sourceDoc, "CPDFExtGState");
}

const CPDFName& CPDFExtGState::GetNamePrefix() {
  static const CPDFName prefix("GS");
  return prefix;
}
