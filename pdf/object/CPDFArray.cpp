#include "pdf/object/CPDFArray.h"

#include <memory>

#include "pdf/object/CPDFCopyScope.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFInStream.h"
#include "pdf/object/CPDFObjRegistry.h"
#include "pdf/object/CPDFOutStream.h"
#include "pdf/object/internal/CPDFParseDepth.h"

CPDFObject* CPDFArray::Get(CPDFObjRegistry* doc, int32_t index, CPDFObjRef* ref) {
  if (ref) ref->Reset();
  if (!IsValidIndex(index)) return nullptr;
  CPDFAtom* atom = data_[index];
  if (!atom) return nullptr;
  if (atom->GetKind() == CPDFAtom::kIndirectReference) {
    const auto* r = static_cast<CPDFObjRef*>(atom);
    if (ref) *ref = *r;
    return doc ? doc->Fetch(*r) : nullptr;
  }
  return dynamic_cast<CPDFObject*>(atom);
}

bool CPDFArray::Store(CPDFObjRegistry* doc, int32_t index, CPDFObject* value, bool indirect,
                      CPDFObjRef* ref) {
  if (!value) return false;
  if (index != -1 && !IsValidIndex(index)) return false;
  if (!indirect) {
    if (value->GetHolder()) return RefuseHeldValue(doc, "CPDFArray", "SetAt");
    return index == -1 ? Elements::Push_Back(value) : Elements::SetAt(index, value);
  }
  if (!doc) return false;
  // Room and the reference atom first, so that a registered object is never
  // left unreferenced (the document owns it once registered).
  if (index == -1 && !Reserve(GetCount() + 1)) return false;
  auto stored = std::make_unique<CPDFObjRef>();
  CPDFObjRef local;
  if (ref && ref->IsDefined()) local = *ref;
  if (!doc->RegistObj(value, &local)) return false;
  if (ref) *ref = local;
  *stored = local;
  return index == -1 ? Elements::Push_Back(stored.release())
                     : Elements::SetAt(index, stored.release());
}

bool CPDFArray::SetAt(CPDFObjRegistry* doc, int32_t index, CPDFObject* value, bool indirect,
                      CPDFObjRef* ref) {
  if (index < 0) return false;
  return Store(doc, index, value, indirect, ref);
}

bool CPDFArray::Push_Back(CPDFObjRegistry* doc, CPDFObject* value, bool indirect, CPDFObjRef* ref) {
  return Store(doc, -1, value, indirect, ref);
}

void CPDFArray::Remove(CPDFObjRegistry* doc, int32_t index) {
  if (!IsValidIndex(index)) return;
  CPDFAtom* atom = data_[index];
  if (atom && atom->GetKind() == CPDFAtom::kIndirectReference && doc) {
    doc->DeleteObj(*static_cast<CPDFObjRef*>(atom));
  }
  delete atom;
  EraseAt(index);
}

bool CPDFArray::Assign(CPDFObjRegistry*, CPDFArray* source) {
  if (!source) return false;
  if (source != this) Swap(*source);
  return true;
}

void CPDFArray::Write(CPDFOutStream& out, const uint8_t* context) {
  WriteLevel level;
  if (level.TooDeep()) {
    out.Write("null", 4);
    return;
  }
  out.WriteByte('[');
  for (int32_t i = 0; i < GetCount(); ++i) {
    if (i > 0) out.WriteByte(separator_);
    CPDFAtom* atom = data_[i];
    if (!atom) {
      out.Write("null", 4);
    } else if (atom->GetKind() == CPDFAtom::kIndirectReference) {
      static_cast<CPDFObjRef*>(atom)->Write(out);
    } else if (auto* object = dynamic_cast<CPDFObject*>(atom)) {
      object->Write(out, context);
    } else {
      out.Write("null", 4);
    }
  }
  out.WriteByte(']');
}

CPDFObject* CPDFArray::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  try {
    std::unique_ptr<CPDFArray> copy(new CPDFArray);
    if (!Duplicate(copy.get(), doc, sourceDoc, true)) return nullptr;
    return copy.release();
  } catch (...) {
    CPDFException::Absorb(nullptr, "CPDFArray", "Clone");
    return nullptr;
  }
}

bool CPDFArray::Release(CPDFObjRegistry* doc) {
  try {
    return ReleaseElements(doc, this);
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFArray", "Release");
  }
}

bool CPDFArray::Linearize(CPDFObjRegistry* doc) {
  try {
    return LinearizeElements(doc, this);
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFArray", "Linearize");
  }
}

bool CPDFArray::Duplicate(CPDFArray* dest, CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc,
                          bool overwrite) const {
  if (!dest || dest == this) return false;
  try {
    CPDFCopyScope scope;
    if (scope.TooDeep()) return false;
    if (!CPDFObject::Duplicate(dest, doc, sourceDoc, overwrite)) return false;
    auto* self = const_cast<CPDFArray*>(this);
    for (int32_t i = 0; i < GetCount(); ++i) {
      const bool exists = dest->IsValidIndex(i);
      if (exists && !overwrite) continue;
      if (!data_[i]) {
        // An empty slot stays empty.
        if (exists ? !dest->Elements::SetAt(i, nullptr) : !dest->Elements::Push_Back(nullptr)) {
          return false;
        }
        continue;
      }
      CPDFObjRef sourceRef;
      CPDFObject* value = self->Get(sourceDoc, i, &sourceRef);
      if (!value) return false;
      const bool ok = scope.CopyAndStore(
          value, sourceRef, doc, sourceDoc,
          [&](CPDFObjRef* ref) {
            return exists ? dest->Elements::SetAt(i, ref) : dest->Elements::Push_Back(ref);
          },
          [&](CPDFCopyScope::Element& e) {
            return exists ? dest->SetAt(doc, i, e.clone, e.indirect, &e.ref)
                          : dest->Push_Back(doc, e.clone, e.indirect, &e.ref);
          });
      if (!ok) return false;
    }
    return true;
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFArray", "Duplicate");
  }
}

CPDFArray* CPDFArray::SerializeObject(CPDFObjRegistry* doc, CPDFInStream& in,
                                      const uint8_t* context) {
  if (in.Peek() != '[') return nullptr;
  std::unique_ptr<CPDFArray> array(new CPDFArray);
  array->Serialize(doc, in, context);
  return array.release();
}

void CPDFArray::Serialize(CPDFObjRegistry* doc, CPDFInStream& in, const uint8_t* context) {
  CPDFObject::Serialize();
  CPDFParseDepth depth("CPDFArray");
  const int c = in.Get();
  if (c < 0) CPDFException::Throw("CPDFArray", "Serialize", CPDFException::kSyntax, "ioerror");
  if (c != '[') {
    CPDFException::ThrowFormat("CPDFArray", "Serialize", CPDFException::kSyntax, "invalidtoken: %c",
                               c);
  }
  for (;;) {
    in.SkipWhiteSpaceAndComments();
    const int next = in.Peek();
    if (next < 0) CPDFException::Throw("CPDFArray", "Serialize", CPDFException::kSyntax, "ioerror");
    if (next == ']') {
      in.Get();
      return;
    }
    std::unique_ptr<CPDFAtom> element(CPDFObjRef::SerializeObject(in));
    if (!element) element.reset(CPDFObject::SerializeObject(doc, in, context));
    if (!element) CPDFParseDepth::ThrowInvalidToken("CPDFArray", in);
    if (!Elements::Push_Back(element.get())) {
      CPDFException::Throw("CPDFArray", "Serialize", CPDFException::kStepFailed,
                           "CPDFArray::Push_Back()");
    }
    element.release();
  }
}
