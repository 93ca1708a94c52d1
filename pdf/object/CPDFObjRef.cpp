#include "pdf/object/CPDFObjRef.h"

#include <cstring>

#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFInStream.h"
#include "pdf/object/CPDFObjRegistry.h"
#include "pdf/object/CPDFObject.h"
#include "pdf/object/CPDFOutStream.h"
#include "pdf/object/PDFSyntax.h"
#include "pdf/object/internal/CPDFDirectWalk.h"

void CPDFObjRef::Write(CPDFOutStream& out) const {
  // An undefined reference (a copied destination's page, not yet pointed at
  // a page of its new document) names no object: null is what it means.
  if (!IsDefined()) {
    out.Format("null");
    return;
  }
  out.Format("%d %d R", number_, generation_);
}

CPDFObjRef* CPDFObjRef::SerializeObject(CPDFInStream& in) {
  const int32_t start = in.GetPosition();
  char number[CPDFInStream::kTokenSize];
  char generation[CPDFInStream::kTokenSize];
  char keyword[CPDFInStream::kTokenSize];
  const bool ok = in.ReadToken(number, sizeof number) && number[0] >= '0' && number[0] <= '9' &&
                  in.ReadToken(generation, sizeof generation) && generation[0] >= '0' &&
                  generation[0] <= '9' && in.ReadToken(keyword, sizeof keyword) &&
                  std::strcmp(keyword, "R") == 0;
  if (!ok) {
    // Back to where the attempt started (inside the buffer when possible).
    const int32_t read = in.GetPosition() - start;
    if (!in.Unget(read)) in.Seek(start);
    return nullptr;
  }
  return new CPDFObjRef(pdfsyntax::ParseLong(number), pdfsyntax::ParseLong(generation));
}

bool ReleaseElements(CPDFObjRegistry* doc, CPDFObject* container) {
  return CPDFDirectWalk::Run(container, [doc](CPDFAtom* atom, int32_t) {
    using Step = CPDFDirectWalk::Step;
    if (atom->GetKind() == CPDFAtom::kIndirectReference) {
      return doc && doc->ReleaseObj(*static_cast<CPDFObjRef*>(atom), false) ? Step::kNext
                                                                            : Step::kStop;
    }
    return CPDFDirectWalk::IsContainer(atom) ? Step::kDescend : Step::kNext;
  });
}

bool LinearizeElements(CPDFObjRegistry* doc, CPDFObject* container) {
  return CPDFDirectWalk::Run(container, [doc](CPDFAtom* atom, int32_t) {
    using Step = CPDFDirectWalk::Step;
    if (atom->GetKind() == CPDFAtom::kIndirectReference) {
      if (!doc) return Step::kStop;
      auto* ref = static_cast<CPDFObjRef*>(atom);
      // Written as null: there is no object to put in the linear order.
      if (!ref->IsDefined()) return Step::kNext;
      CPDFObjRef mapped;
      if (doc->GetLinearRef(*ref, &mapped)) {
        *ref = mapped;
        return Step::kNext;
      }
      return doc->LinearizeObj(*ref, false) ? Step::kNext : Step::kStop;
    }
    const CPDFObject* object = CPDFDirectWalk::AsObject(atom);
    return object && object->IsLinearizable() && CPDFDirectWalk::IsContainer(atom) ? Step::kDescend
                                                                                   : Step::kNext;
  });
}

bool RefuseHeldValue(CPDFObjRegistry* doc, const char* className, const char* methodName) {
  if (doc && !doc->GetError().IsError()) {
    doc->GetError().Set(className, methodName, CPDFException::kStepFailed,
                        "The object is an indirect object: it is stored by reference only.");
  }
  return false;
}
