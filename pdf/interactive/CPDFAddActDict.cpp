#include "pdf/interactive/CPDFAddActDict.h"

#include <memory>

#include "pdf/object/CPDFException.h"

CPDFObject* CPDFAddActDict::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  try {
    std::unique_ptr<CPDFAddActDict> copy(new CPDFAddActDict);
    if (!CopyDataStruct(this, copy.get(), doc, sourceDoc)) return nullptr;
    return copy.release();
  } catch (...) {
    CPDFException::Absorb(nullptr, "CPDFAddActDict", "Clone");
    return nullptr;
  }
}
