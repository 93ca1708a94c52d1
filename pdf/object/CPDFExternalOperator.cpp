#include "pdf/object/CPDFExternalOperator.h"

#include <memory>

#include "pdf/object/CPDFName.h"
#include "pdf/object/CPDFOutStream.h"

void CPDFExternalOperator::Write(CPDFOutStream& out) {
  switch (GetOperator()) {
    case kDo: WriteOperands(out, 1, "Do"); return;
    case kPS: WriteOperands(out, 1, "PS"); return;
    default: return;
  }
}

uint32_t CPDFExternalOperator::GetCategory() const {
  return CategoryOf(GetOperator(), {{kPS, kXObjectOps}});
}

void CPDFExternalOperator::SetDo(const char* name) {
  std::unique_ptr<CPDFObject> ops[] = {std::make_unique<CPDFName>(name ? name : "")};
  Replace(kDo, ops, 1);
}
