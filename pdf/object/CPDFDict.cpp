#include "pdf/object/CPDFDict.h"

#include <cstring>
#include <memory>

#include "pdf/object/CPDFCopyScope.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFInStream.h"
#include "pdf/object/CPDFObjRegistry.h"
#include "pdf/object/CPDFOutStream.h"
#include "pdf/object/CPDFStream.h"
#include "pdf/object/CPDFString.h"
#include "pdf/object/internal/CPDFParseDepth.h"

namespace {

// Where the stream reader joins the parser: called after a dictionary when
// the next byte may start "stream". Answers the stream object (which then
// owns the dictionary's entries) or none to keep the plain dictionary.
CPDFObject* ReadStreamAfterDictionary(CPDFObjRegistry* doc, CPDFInStream& in, CPDFDict* dict,
                                      const uint8_t* context) {
  return CPDFStream::SerializeObject(doc, in, dict, context);
}

}  // namespace

CPDFObject* CPDFDict::Get(CPDFObjRegistry* doc, const CPDFName& key, CPDFObjRef* ref) const {
  if (ref) ref->Reset();
  CPDFAtom* const* slot = Lookup(key);
  if (!slot || !*slot) return nullptr;
  CPDFAtom* atom = *slot;
  if (atom->GetKind() == CPDFAtom::kIndirectReference) {
    const auto* r = static_cast<CPDFObjRef*>(atom);
    if (ref) *ref = *r;
    return doc ? doc->Fetch(*r) : nullptr;
  }
  return dynamic_cast<CPDFObject*>(atom);
}

bool CPDFDict::Set(CPDFObjRegistry* doc, const CPDFName& key, CPDFObject* value, bool indirect,
                   CPDFObjRef* ref) {
  if (!value) return false;
  try {
    if (!indirect) {
      if (value->GetHolder()) return RefuseHeldValue(doc, "CPDFDict", "Set");
      return SetAt(key, value);
    }
    if (!doc) return false;
    CPDFObjRef local;
    if (ref && ref->IsDefined()) local = *ref;
    // Once registered, the object belongs to the document, so nothing may
    // fail after the registration: the reference atom and, for a new key, the
    // entry's slot are made first. A registration that fails takes the slot
    // out again.
    std::unique_ptr<CPDFObjRef> stored(new CPDFObjRef);
    if (Find(key).IsEnd()) {
      if (!SetAt(key, stored.get())) return false;
      CPDFObjRef* atom = stored.release();
      bool registered = false;
      try {
        registered = doc->RegistObj(value, &local);
      } catch (...) {
        registered = false;
      }
      if (!registered) {
        Erase(Find(key));
        delete atom;
        return false;
      }
      *atom = local;
    } else {
      if (!doc->RegistObj(value, &local)) return false;
      *stored = local;
      SetAt(key, stored.release());  // the key's slot exists: nothing is allocated
    }
    if (ref) *ref = local;
    return true;
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFDict", "Set");
  }
}

void CPDFDict::Remove(CPDFObjRegistry* doc, const CPDFName& key) {
  Iterator it = Find(key);
  if (it.IsEnd()) return;
  CPDFAtom* atom = *it.GetValue();
  Erase(it);
  if (atom && atom->GetKind() == CPDFAtom::kIndirectReference && doc) {
    doc->DeleteObj(*static_cast<CPDFObjRef*>(atom));
  }
  delete atom;
}

bool CPDFDict::Assign(CPDFObjRegistry*, CPDFDict* source) {
  if (!source) return false;
  if (source != this) Swap(*source);
  return true;
}

void CPDFDict::Write(CPDFOutStream& out, const uint8_t* context) {
  WriteLevel level;
  if (level.TooDeep()) {
    out.Write("null", 4);
    return;
  }
  out.Write("<<\r\n", 4);
  for (Iterator it = Begin(); !it.IsEnd(); it.Next()) {
    const_cast<CPDFName*>(it.GetKey())->Write(out, nullptr);
    out.WriteByte(' ');
    CPDFAtom* atom = *it.GetValue();
    if (!atom) {
      out.Write("null", 4);
    } else if (atom->GetKind() == CPDFAtom::kIndirectReference) {
      static_cast<CPDFObjRef*>(atom)->Write(out);
    } else if (auto* object = dynamic_cast<CPDFObject*>(atom)) {
      object->Write(out, context);
    } else {
      out.Write("null", 4);
    }
    out.WriteByte(terminator_);
  }
  out.Write(">>", 2);
}

CPDFObject* CPDFDict::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  try {
    std::unique_ptr<CPDFDict> copy(new CPDFDict);
    if (!Duplicate(copy.get(), doc, sourceDoc, true)) return nullptr;
    return copy.release();
  } catch (...) {
    CPDFException::Absorb(nullptr, "CPDFDict", "Clone");
    return nullptr;
  }
}

bool CPDFDict::Release(CPDFObjRegistry* doc) {
  try {
    return ReleaseElements(doc, this);
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFDict", "Release");
  }
}

bool CPDFDict::Linearize(CPDFObjRegistry* doc) {
  try {
    return LinearizeElements(doc, this);
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFDict", "Linearize");
  }
}

bool CPDFDict::Duplicate(CPDFDict* dest, CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc,
                         bool overwrite) const {
  if (!dest || dest == this) return false;
  try {
    CPDFCopyScope scope;
    if (scope.TooDeep()) return false;
    if (!CPDFObject::Duplicate(dest, doc, sourceDoc, overwrite)) return false;
    for (Iterator it = Begin(); !it.IsEnd(); it.Next()) {
      const CPDFName& key = *it.GetKey();
      if (!overwrite && dest->HasKey(key)) continue;
      CPDFObjRef sourceRef;
      CPDFObject* value = Get(sourceDoc, key, &sourceRef);
      if (!value) return false;
      const bool ok = scope.CopyAndStore(
          value, sourceRef, doc, sourceDoc, [&](CPDFObjRef* ref) { return dest->SetAt(key, ref); },
          [&](CPDFCopyScope::Element& e) {
            return dest->Set(doc, key, e.clone, e.indirect, &e.ref);
          });
      if (!ok) return false;
    }
    return true;
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFDict", "Duplicate");
  }
}

CPDFObject* CPDFDict::SerializeObject(CPDFObjRegistry* doc, CPDFInStream& in,
                                      const uint8_t* context) {
  if (in.Peek() != '<') return nullptr;
  in.Get();
  const int next = in.Peek();
  if (next < 0) {
    CPDFException::Throw("CPDFDict", "SerializeObject", CPDFException::kSyntax, "ioerror");
  }
  in.Unget(1);
  if (next != '<') return CPDFString::SerializeObject(doc, in, context);
  std::unique_ptr<CPDFDict> dict(new CPDFDict);
  dict->Serialize(doc, in, context);
  in.SkipWhiteSpaceAndComments();
  if (CPDFObject* stream = ReadStreamAfterDictionary(doc, in, dict.get(), context)) return stream;
  return dict.release();
}

void CPDFDict::Serialize(CPDFObjRegistry* doc, CPDFInStream& in, const uint8_t* context) {
  CPDFObject::Serialize();
  CPDFParseDepth depth("CPDFDict");
  char open[3] = {0, 0, 0};
  int c1 = in.Get();
  int c2 = c1 < 0 ? -1 : in.Get();
  if (c2 < 0) CPDFException::Throw("CPDFDict", "Serialize", CPDFException::kSyntax, "ioerror");
  open[0] = static_cast<char>(c1);
  open[1] = static_cast<char>(c2);
  if (std::strcmp(open, "<<") != 0) {
    CPDFException::ThrowFormat("CPDFDict", "Serialize", CPDFException::kSyntax, "invalidtoken: %s",
                               open);
  }
  for (;;) {
    in.SkipWhiteSpaceAndComments();
    c1 = in.Get();
    c2 = c1 < 0 ? -1 : in.Get();
    if (c2 < 0) CPDFException::Throw("CPDFDict", "Serialize", CPDFException::kSyntax, "ioerror");
    if (c1 == '>' && c2 == '>') return;
    in.Unget(2);
    std::unique_ptr<CPDFObject> key(CPDFObject::SerializeObject(doc, in, context));
    if (!key) CPDFParseDepth::ThrowInvalidToken("CPDFDict", in);
    auto* name = dynamic_cast<CPDFName*>(key.get());
    if (!name) {
      CPDFException::ThrowFormat("CPDFDict", "Serialize", CPDFException::kSyntax, "typecheck: %s",
                                 key->GetTypeName());
    }
    in.SkipWhiteSpaceAndComments();
    std::unique_ptr<CPDFAtom> value(CPDFObjRef::SerializeObject(in));
    if (!value) value.reset(CPDFObject::SerializeObject(doc, in, context));
    if (!value) CPDFParseDepth::ThrowInvalidToken("CPDFDict", in);
    bool stored = false;
    try {
      stored = SetAt(*name, value.get());
    } catch (...) {
      CPDFException::Absorb(nullptr, "CPDFDict", "Serialize");
    }
    // A key that could not be stored leaves its value to be deleted here.
    if (!stored) {
      CPDFException::Throw("CPDFDict", "Serialize", CPDFException::kStepFailed,
                           "CPDFDict::Insert()");
    }
    value.release();
  }
}
