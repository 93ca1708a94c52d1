#include "pdf/font/CPDFCIDSysInfo.h"

#include "pdf/object/CPDFStream.h"
#include "pdf/object/CPDFString.h"

namespace {

bool HasType(CPDFObjRegistry* doc, CPDFDict* dict, const CPDFName& key, int32_t mask) {
  CPDFObject* value = dict->Get(doc, key);
  return value && value->IsType(mask);
}

}  // namespace

bool CPDFCIDSysInfo::Check(CPDFObjRegistry* doc, CPDFObject* object) {
  try {
    auto* dict = dynamic_cast<CPDFDict*>(object);
    if (!dict || dynamic_cast<CPDFStream*>(object)) return false;
    return HasType(doc, dict, Key_Registry(), kString | kText) &&
           HasType(doc, dict, Key_Ordering(), kString | kText) &&
           HasType(doc, dict, Key_Supplement(), kNumber | kInteger | kReal);
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFCIDSysInfo", "Check");
  }
}

bool CPDFCIDSysInfo::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source, [&] {
    return PDFTypeEntry<CPDFInt>(this, doc, Key_Supplement(), PDFEntry::kRequired);
  });
}

CPDFObject* CPDFCIDSysInfo::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}
