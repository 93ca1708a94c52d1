#include "pdf/interactive/CPDFField.h"

#include <algorithm>
#include <memory>

#include "pdf/document/CPDFCatalogHook.h"
#include "pdf/interactive/CPDFAcroFormDict.h"
#include "pdf/interactive/CPDFFieldTypes.h"
#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFFamily.h"
#include "pdf/object/CPDFName.h"
#include "pdf/object/CPDFNull.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFObjRegistry.h"

namespace {

// The dictionary /Parent names, when it resolves to a dictionary (a typed
// field counts: it is one); none otherwise.
CPDFDict* ParentOf(CPDFObjRegistry* doc, CPDFDict* dict, CPDFObjRef* ref) {
  CPDFObject* value = dict->Get(doc, CPDFField::Key_Parent(), ref);
  if (!value || value->GetType() != CPDFObject::kDictionary) {
    if (ref) ref->Reset();
    return nullptr;
  }
  return dynamic_cast<CPDFDict*>(value);
}

bool IsName(const CPDFObject* value) {
  return value && value->GetType() == CPDFObject::kName && dynamic_cast<const CPDFName*>(value);
}

bool IsStringLike(const CPDFObject* value) {
  return value && value->IsType(CPDFObject::kString | CPDFObject::kText) &&
         dynamic_cast<const CPDFString*>(value);
}

bool SameName(const CPDFObject* a, const CPDFObject* b) {
  return IsName(a) && IsName(b) &&
         static_cast<const CPDFName*>(a)->IsEqual(*static_cast<const CPDFName*>(b));
}

bool SameString(const CPDFObject* a, const CPDFObject* b) {
  if (!IsStringLike(a) || !IsStringLike(b)) return false;
  const TempString& x = *dynamic_cast<const CPDFString*>(a);
  const TempString& y = *dynamic_cast<const CPDFString*>(b);
  return x.IsEqual(y);
}

bool SameInteger(const CPDFObject* a, const CPDFObject* b) {
  auto* x = a && a->IsType(CPDFObject::kAnyNumber) ? dynamic_cast<const CPDFNumber*>(a) : nullptr;
  auto* y = b && b->IsType(CPDFObject::kAnyNumber) ? dynamic_cast<const CPDFNumber*>(b) : nullptr;
  return x && y && x->GetInt() == y->GetInt();
}

PDF_CONST_NAME(Key_AcroForm, "AcroForm")

// Stores a clone of the value (none: nothing to do) in dest under the key,
// indirect under a new number of doc exactly when the value was reached
// through a reference. False when the value does not clone or the clone
// does not store (it is then deleted).
bool CopyValue(CPDFObject* value, const CPDFObjRef& ref, CPDFDict* dest, const CPDFName& key,
               CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  if (!value) return true;
  // A cycle back to a field being copied is not followed: the copy fails,
  // here for the value itself, in the deep copy for a field met inside it.
  if (CPDFCopyScope::IsUnderCopy(value)) return false;
  std::unique_ptr<CPDFObject> copy(value->Clone(doc, sourceDoc));
  return copy && dest->Set(doc, key, std::move(copy), ref.IsDefined(), nullptr);
}

// The interactive form of the catalog: the dictionary under /AcroForm, as
// it is (typed or read from a file); without the key a new form, stored
// indirect, with the catalog marked changed so that an incremental save
// writes it. None when /AcroForm holds anything but a dictionary (or does
// not resolve), or a new form cannot be made or stored.
CPDFDict* FormOf(CPDFDict* catalog, const CPDFObjRef& catalogRef, CPDFObjRegistry* doc) {
  if (catalog->HasKey(Key_AcroForm())) {
    CPDFObject* value = catalog->Get(doc, Key_AcroForm());
    return value && value->GetType() == CPDFObject::kDictionary ? dynamic_cast<CPDFDict*>(value)
                                                                : nullptr;
  }
  auto form = std::make_unique<CPDFAcroFormDict>();
  auto fields = std::make_unique<CPDFArray>();
  const bool created = form->Create(doc, fields.get());
  // The form owns the array once it holds it as its Fields.
  if (form->Get(nullptr, CPDFAcroFormDict::Key_Fields()) == fields.get()) fields.release();
  if (!created) return nullptr;
  CPDFDict* made = form.get();
  CPDFObjRef formRef;
  if (!catalog->Set(doc, Key_AcroForm(), std::unique_ptr<CPDFObject>(std::move(form)), true,
                    &formRef)) {
    return nullptr;
  }
  if (catalogRef.IsDefined() && !doc->UpdateObj(catalogRef)) return nullptr;
  return made;
}

}  // namespace

CPDFField::CloneStep::CloneStep(CPDFField* field)
    : mark_(static_cast<const CPDFObject*>(field)), allowed_(!level_.TooDeep() && mark_.Marked()) {}

bool CPDFField::Duplicate(CPDFField* dest, CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  try {
    if (!dest || dest == this || !CPDFStructBase::Duplicate(dest, doc, sourceDoc)) return false;
    CPDFObjRef catalogRef;
    CPDFDict* catalog = PDFFindCatalog(doc, &catalogRef);
    if (!catalog) return false;

    CPDFObject* type = Get_FT();
    if (!type || !CopyValue(type, CPDFObjRef(), dest, Key_FT(), doc, sourceDoc)) return false;

    auto made = std::make_unique<CPDFText>();
    CPDFText* name = made.get();
    if (!dest->Set(doc, Key_T(), std::move(made))) return false;
    if (!GetFullName(name)) return false;

    CPDFObjRef ref;
    CPDFObject* value = Get_Ff(&ref);
    if (!CopyValue(value, ref, dest, Key_Ff(), doc, sourceDoc)) return false;

    // Placeholders that keep the annotation's copy below from taking the
    // source's Kids and Parent; removed at the end.
    if (!dest->Set(doc, Key_Kids(), std::make_unique<CPDFNull>()) ||
        !dest->Set(doc, Key_Parent(), std::make_unique<CPDFNull>())) {
      return false;
    }

    value = Get_TU(&ref);
    if (!CopyValue(value, ref, dest, Key_TU(), doc, sourceDoc)) return false;
    value = Get_TM(&ref);
    if (!CopyValue(value, ref, dest, Key_TM(), doc, sourceDoc)) return false;

    // DR whatever its class: one that stayed raw is a DR as well.
    CPDFObjRef drRef;
    if (CPDFObject* dr = GetOwnOrInherited(Key_DR(), &drRef)) {
      CPDFDict* form = FormOf(catalog, catalogRef, doc);
      if (!form) return false;
      CPDFObjRef formDRRef;
      CPDFObject* formDR = form->Get(doc, Key_DR(), &formDRRef);
      // Both indirect: the copy shares the form's DR, unless that
      // reference does not resolve (a damaged file); then, as for a direct
      // DR on either side, the source's DR is cloned.
      if (drRef.IsDefined() && formDRRef.IsDefined() && formDR) {
        if (!PDFSetRef(dest, Key_DR(), formDRRef)) return false;
      } else if (!CopyValue(dr, drRef, dest, Key_DR(), doc, sourceDoc)) {
        return false;
      }
    }

    value = Get_DA(&ref);
    if (!CopyValue(value, ref, dest, Key_DA(), doc, sourceDoc)) return false;
    value = Get_Q(&ref);
    if (!CopyValue(value, ref, dest, Key_Q(), doc, sourceDoc)) return false;
    value = Get_OH(&ref);
    if (!CopyValue(value, ref, dest, Key_OH(), doc, sourceDoc)) return false;
    value = Get_MK(&ref);
    if (!CopyValue(value, ref, dest, Key_MK(), doc, sourceDoc)) return false;

    if (!CPDFAnnotation::Duplicate(dest, doc, sourceDoc)) return false;
    dest->Remove(doc, Key_Kids());
    dest->Remove(doc, Key_Parent());
    return true;
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFField", "Duplicate");
  }
}

bool CPDFField::CloneValues(CPDFField* copy, const MoveRule* rules, size_t count,
                            const CPDFName* required, CPDFObjRegistry* doc,
                            CPDFObjRegistry* sourceDoc) {
  if (!copy) return false;
  for (size_t i = 0; i < count; ++i) {
    const CPDFName& key = rules[i].key();
    CPDFObjRef ref;
    CPDFObject* value = GetOwnOrInherited(key, &ref);
    if (!value && &key == required) return false;
    if (!CopyValue(value, ref, copy, key, doc, sourceDoc)) return false;
  }
  return true;
}

CPDFField* CPDFField::CreateField(CPDFObjRegistry* doc, CPDFDict* dict, int32_t mask) {
  static constexpr CPDFFamilyMember<CPDFField> kMembers[] = {
      MakeFamilyMember<CPDFField, CPDFBtnField, CPDFDict>(CPDFBtnField::kFieldBit),
      MakeFamilyMember<CPDFField, CPDFChField, CPDFDict>(CPDFChField::kFieldBit),
      MakeFamilyMember<CPDFField, CPDFTxField, CPDFDict>(CPDFTxField::kFieldBit),
      MakeFamilyMember<CPDFField, CPDFSigField, CPDFDict>(CPDFSigField::kFieldBit),
  };
  if (!dict) return nullptr;
  return CreateFamilyMember<kMembers>(doc, dict, mask);
}

bool CPDFField::Check(CPDFObjRegistry* doc, CPDFDict* dict) {
  if (!dict || !CPDFAnnotation::Check(doc, dict)) return false;
  auto* subtype = PDFGetAs<CPDFName>(dict, doc, Key_Subtype());
  return subtype && subtype->IsEqual(WidgetName());
}

bool CPDFField::LoadFieldEntries(CPDFObjRegistry* doc, CPDFDict* dict) {
  if (!dict) return false;
  return PDFTypeEntry<CPDFText>(dict, doc, Key_T()) && PDFTypeEntry<CPDFInt>(dict, doc, Key_Ff()) &&
         PDFTypeEntry<CPDFText>(dict, doc, Key_TU()) &&
         PDFTypeEntry<CPDFText>(dict, doc, Key_TM()) &&
         PDFTypeEntry<CPDFResDict>(dict, doc, Key_DR()) &&
         PDFTypeEntry<CPDFInt>(dict, doc, Key_Q()) && PDFTypeEntry<CPDFInt>(dict, doc, Key_OH());
}

bool CPDFField::WalkParents(CPDFObjRegistry* doc, CPDFDict* dict, std::vector<CPDFDict*>* chain) {
  chain->clear();
  if (!dict) return true;
  CPDFDict* at = dict;
  while (CPDFDict* parent = ParentOf(doc, at, nullptr)) {
    // The chain is at most kMaxParentDepth long, so the linear search for
    // a repeat stays small.
    if (parent == dict || std::find(chain->begin(), chain->end(), parent) != chain->end()) {
      return false;
    }
    if (static_cast<int32_t>(chain->size()) >= kMaxParentDepth) return false;
    chain->push_back(parent);
    at = parent;
  }
  return true;
}

CPDFObject* CPDFField::FindNearest(CPDFObjRegistry* doc, CPDFDict* dict, const CPDFName& key) {
  std::vector<CPDFDict*> chain;
  if (!dict || !WalkParents(doc, dict, &chain)) return nullptr;
  if (dict->HasKey(key)) return dict->Get(doc, key);
  for (CPDFDict* ancestor : chain) {
    if (ancestor->HasKey(key)) return ancestor->Get(doc, key);
  }
  return nullptr;
}

bool CPDFField::CheckFieldType(CPDFObjRegistry* doc, CPDFDict* dict, const CPDFName& type) {
  if (!Check(doc, dict)) return false;
  CPDFObject* value = FindNearest(doc, dict, Key_FT());
  return IsName(value) && static_cast<CPDFName*>(value)->IsEqual(type);
}

bool CPDFField::ReadChain(CPDFObjRegistry* doc, CPDFDict* dict,
                          bool (*readOwn)(CPDFObjRegistry*, CPDFDict*)) {
  try {
    std::vector<CPDFDict*> chain;
    if (!dict || !WalkParents(doc, dict, &chain)) return false;
    // Root first, as a recursion up the chain would, without a stack frame
    // per level.
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
      if (!LoadFieldEntries(doc, *it) || !readOwn(doc, *it)) return false;
    }
    return LoadFieldEntries(doc, dict) && readOwn(doc, dict);
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFField", "Load");
  }
}

CPDFDict* CPDFField::Get_Parent(CPDFObjRef* ref) { return ParentOf(GetDoc(), this, ref); }

CPDFObject* CPDFField::GetInheritable(const CPDFName& key, CPDFObjRef* ref) {
  if (ref) ref->Reset();
  std::vector<CPDFDict*> chain;
  if (!WalkParents(GetDoc(), this, &chain)) return nullptr;
  for (CPDFDict* ancestor : chain) {
    if (ancestor->HasKey(key)) return ancestor->Get(GetDoc(), key, ref);
  }
  return nullptr;
}

CPDFObject* CPDFField::GetOwnOrInherited(const CPDFName& key, CPDFObjRef* ref) {
  if (HasKey(key)) return Get(GetDoc(), key, ref);
  return GetInheritable(key, ref);
}

CPDFText* CPDFField::GetFullName(CPDFText* out) {
  if (!out) return nullptr;
  CPDFString* own = dynamic_cast<CPDFString*>(Get_T());
  if (!out->TempString::Assign(IsStringLike(own) ? own->c_str() : "",
                               IsStringLike(own) ? own->GetLength() : 0)) {
    return nullptr;
  }
  // A stopped walk keeps the ancestors gathered before the stop.
  std::vector<CPDFDict*> chain;
  WalkParents(GetDoc(), this, &chain);
  for (CPDFDict* ancestor : chain) {
    CPDFObject* value = ancestor->Get(GetDoc(), Key_T());
    if (!IsStringLike(value)) continue;
    auto* name = static_cast<CPDFString*>(value);
    // Joined by bytes with their lengths: a UTF-16BE name holds 00 bytes.
    if (out->GetLength() == 0) {
      if (!out->TempString::Assign(name->c_str(), name->GetLength())) return nullptr;
    } else if (!out->Insert(0, ".", 1) || !out->Insert(0, name->c_str(), name->GetLength())) {
      return nullptr;
    }
  }
  return out;
}

bool CPDFField::MoveEntry(CPDFDict* parent, const CPDFName& key, MoveWhen when, bool* moved) {
  *moved = false;
  CPDFObjRegistry* doc = GetDoc();
  CPDFObjRef ref;
  CPDFObject* value = Get(doc, key, &ref);
  if (!value) return true;
  if (parent->HasKey(key)) {
    CPDFObject* theirs = parent->Get(doc, key);
    bool equal = false;
    switch (when) {
      case MoveWhen::kParentLacks: break;
      case MoveWhen::kEqualName: equal = SameName(value, theirs); break;
      case MoveWhen::kEqualInteger: equal = SameInteger(value, theirs); break;
      case MoveWhen::kEqualString: equal = SameString(value, theirs); break;
      case MoveWhen::kEqualNameOrString:
        equal = SameName(value, theirs) || SameString(value, theirs);
        break;
      case MoveWhen::kEqualTextOrName:
        equal = (value->GetType() == kText && SameString(value, theirs)) ||
                (value->GetType() == kName && SameName(value, theirs));
        break;
    }
    if (!equal) return true;
  }
  // The same object goes to the parent; an indirect one is registered again
  // under its own reference, which keeps the object and its number.
  CPDFObjRef where = ref;
  if (!parent->Set(doc, key, value, ref.IsDefined(), &where)) return false;
  CPDFAtom* const* slot = Lookup(key);
  CPDFAtom* atom = slot ? *slot : nullptr;
  RemoveKey(key);
  // A direct value now belongs to the parent; a reference atom is ours.
  if (atom && atom->GetKind() == CPDFAtom::kIndirectReference) delete atom;
  *moved = true;
  return true;
}

void CPDFField::MarkChanged(CPDFDict* parent) {
  CPDFObjRegistry* doc = GetDoc();
  auto* kids = doc ? PDFGetAs<CPDFArray>(parent, doc, Key_Kids()) : nullptr;
  if (!kids) return;
  for (int32_t i = 0; i < kids->GetCount(); ++i) {
    CPDFObjRef ref;
    if (kids->Get(doc, i, &ref) == static_cast<CPDFObject*>(this) && ref.IsDefined()) {
      doc->UpdateObj(ref);
      return;
    }
  }
}

bool CPDFField::MoveUp(const MoveRule* rules, size_t count) {
  try {
    CPDFObjRef parentRef;
    CPDFDict* parent = Get_Parent(&parentRef);
    if (!parent || parent == this) return false;
    bool any = false;
    bool ok = true;
    for (size_t i = 0; i < count && ok; ++i) {
      bool moved = false;
      ok = MoveEntry(parent, rules[i].key(), rules[i].when, &moved);
      any = any || moved;
    }
    if (any && parentRef.IsDefined() && GetDoc()) GetDoc()->UpdateObj(parentRef);
    return ok;
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFField", "Uninherit");
  }
}

bool CPDFField::Uninherit() {
  try {
    CPDFObjRegistry* doc = GetDoc();
    CPDFDict* parent = Get_Parent();
    if (!parent || parent == this || GetFieldType() == 0) return false;
    if (!SameName(Get(doc, Key_FT()), parent->Get(doc, Key_FT()))) return false;
    if (!SameString(Get(doc, Key_T()), parent->Get(doc, Key_T()))) return false;

    // The own T goes. An indirect T loses only its reference: the object
    // may be the parent's T as well, so it stays registered.
    CPDFAtom* const* slot = Lookup(Key_T());
    CPDFAtom* atom = slot ? *slot : nullptr;
    RemoveKey(Key_T());
    delete atom;
    MarkChanged(parent);

    static const MoveRule kRules[] = {
        {&Key_FT, MoveWhen::kEqualName},   {&Key_Ff, MoveWhen::kEqualInteger},
        {&Key_DR, MoveWhen::kParentLacks}, {&Key_DA, MoveWhen::kEqualString},
        {&Key_Q, MoveWhen::kEqualInteger},
    };
    return MoveUp(kRules, std::size(kRules));
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFField", "Uninherit");
  }
}
