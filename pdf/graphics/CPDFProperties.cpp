#include "pdf/graphics/CPDFProperties.h"

#include "pdf/graphics/DictResource.h"

bool CPDFProperties::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return LoadDictResource(this, this, doc, source);
}

CPDFProperties* CPDFProperties::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return CloneDictResource(this, doc, sourceDoc, "CPDFProperties");
}

const CPDFName& CPDFProperties::GetNamePrefix() {
  static const CPDFName prefix("Pr");
  return prefix;
}
