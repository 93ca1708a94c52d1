#include "pdf/document/CPDFResDict.h"

#include <memory>

#include "pdf/document/CPDFColorSpace.h"
#include "pdf/document/CPDFResourceFactories.h"
#include "pdf/document/CPDFXObject.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFObjRegistry.h"
#include "pdf/object/CPDFTypedStruct.h"

namespace {

constexpr const char* kClass = "CPDFResDict";

[[noreturn]] void Fail(const char* method, int32_t code, const char* message) {
  CPDFException::Throw(kClass, method, code, message);
}

// The object of a resource handed to a call; a null resource, or one
// without an object, is refused with its reason.
CPDFObject* ResourceObject(CPDFResource* resource, const char* method) {
  if (!resource) Fail(method, CPDFException::kSyntax, "typecheck: Null");
  CPDFObject* object = resource->GetPDFObject();
  if (!object) Fail(method, CPDFException::kStepFailed, "CPDFResource::GetPDFObject()");
  return object;
}

// Makes the typed resource for one raw entry of a category, or none when no
// class of the category accepts it (the entry then stays as read).
using MakeTyped = CPDFResourceFactory;

template <class T, class Source>
CPDFObject* LoadNew(CPDFObjRegistry* doc, Source* source) {
  std::unique_ptr<T> typed(new T);
  if (!typed->Load(doc, source)) return nullptr;
  return static_cast<CPDFObject*>(typed.release());
}

CPDFObject* MakeColorSpace(CPDFObjRegistry* doc, CPDFObject* raw) {
  return static_cast<CPDFArray*>(
      CPDFColorSpace::CreateColorSpace(doc, raw, CPDFColorSpace::kAllFamilies));
}

CPDFObject* MakeXObject(CPDFObjRegistry* doc, CPDFObject* raw) {
  return static_cast<CPDFStream*>(CPDFXObject::CreateXObject(doc, raw, -1));
}

CPDFObject* MakeProcSet(CPDFObjRegistry* doc, CPDFObject* raw) {
  auto* name = dynamic_cast<CPDFName*>(raw);
  if (!name || !CPDFProcSet::Check(doc, name)) return nullptr;
  return LoadNew<CPDFProcSet>(doc, name);
}

struct CategoryLoader {
  uint32_t category;
  int32_t types;  // object types the category converts
  // The core's own factory; none: the one registered for the category in
  // the factory table (CPDFResourceFactories.h), if any.
  MakeTyped make;
};

// In load order.
constexpr CategoryLoader kLoaders[] = {
    {CPDFResource::kColorSpace, CPDFObject::kArray, MakeColorSpace},
    {CPDFResource::kXObject, CPDFObject::kStream, MakeXObject},
    {CPDFResource::kExtGState, CPDFObject::kDictionary, nullptr},
    {CPDFResource::kFont, CPDFObject::kDictionary, nullptr},
    {CPDFResource::kPattern, CPDFObject::kDictionary | CPDFObject::kStream, nullptr},
    {CPDFResource::kProcSet, CPDFObject::kName, MakeProcSet},
    {CPDFResource::kProperties, CPDFObject::kDictionary, nullptr},
    {CPDFResource::kShading, CPDFObject::kDictionary, nullptr},
};

// The factory of a category: the core's own or the registered one; none
// leaves the category's entries as read.
MakeTyped FactoryOf(const CategoryLoader& loader) {
  return loader.make ? loader.make : PDFGetResourceFactory(loader.category);
}

// Types one entry (or ProcSet element) through the category's factory. A
// value that cannot be fetched fails, in every category; a category without
// a factory leaves its values as read.
auto TypeThrough(CPDFObjRegistry* doc, MakeTyped make) {
  return [doc, make](CPDFObject* raw) -> CPDFObject* { return make ? make(doc, raw) : nullptr; };
}

// Converts every entry of one category dictionary. False when an entry
// cannot be fetched or a typed entry cannot be stored (its raw value then
// keeps its content).
bool LoadCategoryDict(CPDFObjRegistry* doc, CPDFDict* dict, const CategoryLoader& loader) {
  const auto make = TypeThrough(doc, FactoryOf(loader));
  for (auto it = dict->Begin(); !it.IsEnd(); it.Next()) {
    const CPDFName key = *it.GetKey();
    if (!PDFTypeEntry(dict, doc, key, loader.types, make, PDFEntry::kRequired)) return false;
  }
  return true;
}

}  // namespace

bool CPDFResDict::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source, [this] { return LoadCategories(); });
}

bool CPDFResDict::LoadCategories() {
  CPDFObjRegistry* doc = GetDoc();
  for (const CategoryLoader& loader : kLoaders) {
    const CPDFName& category = CPDFResource::CategoryName(loader.category);
    if (!HasKey(category)) continue;
    CPDFObject* value = Get(doc, category);
    if (!value) return false;
    if (auto* array = dynamic_cast<CPDFArray*>(value);
        array && loader.category == CPDFResource::kProcSet) {
      if (!PDFTypeElements(array, doc, loader.types, TypeThrough(doc, FactoryOf(loader)))) {
        return false;
      }
    } else if (auto* dict = dynamic_cast<CPDFDict*>(value);
               dict && value->GetType() == kDictionary) {
      if (!LoadCategoryDict(doc, dict, loader)) return false;
    }
  }
  return true;
}

CPDFResDict* CPDFResDict::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}

CPDFDict* CPDFResDict::CategoryDict(const CPDFName& category, CPDFObjRef* ref) {
  CPDFObject* value = Get(GetDoc(), category, ref);
  if (!value || value->GetType() != kDictionary) return nullptr;
  return dynamic_cast<CPDFDict*>(value);
}

namespace {

// The seven categories listed as dictionaries (ProcSet is an array).
bool IsDictionaryCategory(const CPDFName& category) {
  const uint32_t bit = CPDFResource::CategoryOf(category);
  return bit != CPDFResource::kNoCategory && bit != CPDFResource::kProcSet;
}

}  // namespace

CPDFResource* CPDFResDict::GetResource(const CPDFName& category, const CPDFName& name) {
  if (!IsDictionaryCategory(category)) return nullptr;
  CPDFDict* dict = CategoryDict(category, nullptr);
  if (!dict) return nullptr;
  return dynamic_cast<CPDFResource*>(dict->Get(GetDoc(), name));
}

bool CPDFResDict::HasResource(const CPDFName& category, const CPDFName& name) {
  if (!IsDictionaryCategory(category)) return false;
  CPDFDict* dict = CategoryDict(category, nullptr);
  return dict && dict->HasKey(name);
}

bool CPDFResDict::MakeUniqueName(CPDFName& out, CPDFResource* resource) {
  CPDFObjRegistry* doc = GetDoc();
  if (doc) doc->GetError().Clear();
  try {
    ResourceObject(resource, "MakeUniqueName");
  } catch (...) {
    return CPDFException::Absorb(doc ? &doc->GetError() : nullptr, kClass, "MakeUniqueName");
  }
  const CPDFName& category = resource->GetCategoryName();
  const CPDFName& prefix = resource->GetNamePrefix();
  CPDFDict* dict = IsDictionaryCategory(category) ? CategoryDict(category, nullptr) : nullptr;
  const int32_t entries = dict ? dict->GetCount() : 0;

  // One cursor per category and prefix (a handful in all). Searching from
  // where the last search ended keeps naming n resources O(n log n) instead
  // of quadratic; fewer entries than then may mean a freed lower name.
  const std::string categoryText(category.c_str(), static_cast<size_t>(category.GetLength()));
  const std::string prefixText(prefix.c_str(), static_cast<size_t>(prefix.GetLength()));
  NameCursor* cursor = nullptr;
  for (NameCursor& c : nameCursors_) {
    if (c.category == categoryText && c.prefix == prefixText) cursor = &c;
  }
  if (!cursor) {
    nameCursors_.push_back(NameCursor{categoryText, prefixText});
    cursor = &nameCursors_.back();
  }
  // A name counts as taken while its key is listed, typed or not, so a raw
  // entry read from a file is never overwritten.
  auto taken = [&](int64_t n) {
    resource->MakeName(static_cast<int32_t>(n), out);
    return dict && dict->HasKey(out);
  };
  int64_t n = 1;
  if (cursor->dict == dict) {
    // The name given last is usually listed by now, and then counts as one
    // entry more; fewer entries than that mean one was removed.
    n = cursor->next;
    const bool given = taken(n);
    if (!given) {
      if (entries >= cursor->entries) {
        cursor->entries = entries;
        return true;
      }
      n = 1;
    } else {
      n = entries < cursor->entries + 1 ? 1 : n + 1;
    }
  }
  cursor->dict = dict;
  cursor->entries = entries;
  for (; n <= INT32_MAX; ++n) {
    if (!taken(n)) {
      cursor->next = static_cast<int32_t>(n);
      return true;
    }
  }
  if (doc) {
    doc->GetError().SetFormat(kClass, "MakeUniqueName", CPDFException::kStepFailed,
                              "every name %sN of %s is taken", prefixText.c_str(),
                              categoryText.c_str());
  }
  return false;
}

bool CPDFResDict::AddResource(const CPDFName& name, CPDFResource* resource, CPDFObjRef* ref) {
  static constexpr const char* kMethod = "AddResource";
  CPDFObjRegistry* doc = GetDoc();
  // The document's error record tells only this call's reason.
  if (doc) doc->GetError().Clear();
  try {
    CPDFObject* object = ResourceObject(resource, kMethod);
    if (!doc) Fail(kMethod, CPDFException::kStepFailed, "CPDFResDict::GetDoc()");
    const CPDFName& category = resource->GetCategoryName();
    if (!IsDictionaryCategory(category)) {
      CPDFException::ThrowFormat(kClass, kMethod, CPDFException::kUndefined,
                                 "not a category of named resources: %s", category.c_str());
    }
    // The object whose bytes change is marked changed, so that an
    // incremental save writes it: the category dictionary when it is
    // indirect, else this dictionary when the document holds it.
    CPDFObjRef own;
    const bool ownIndirect = GetHolder(&own) == doc;
    auto update = [&](const CPDFObjRef& changed) {
      if (!doc->UpdateObj(changed))
        Fail(kMethod, CPDFException::kStepFailed, "CPDFDoc::UpdateObj()");
    };
    CPDFDict* dict = nullptr;
    if (HasKey(category)) {
      CPDFObjRef categoryRef;
      dict = CategoryDict(category, &categoryRef);
      if (!dict) {
        CPDFObject* value = Get(doc, category);
        CPDFException::ThrowFormat(kClass, kMethod, CPDFException::kSyntax, "typecheck: %s",
                                   value ? value->GetTypeName() : "Null");
      }
      if (categoryRef.IsDefined()) {
        update(categoryRef);
      } else if (ownIndirect) {
        update(own);
      }
    } else {
      if (ownIndirect) update(own);
      std::unique_ptr<CPDFDict> fresh(new CPDFDict);
      if (!Set(doc, category, fresh.get()))
        Fail(kMethod, CPDFException::kStepFailed, "CPDFDict::Set()");
      dict = fresh.release();
    }
    CPDFObjRef stored;
    if (!dict->Set(doc, name, object, true, &stored)) {
      Fail(kMethod, CPDFException::kStepFailed, "CPDFDict::Set()");
    }
    if (ref) *ref = stored;
    return true;
  } catch (...) {
    return CPDFException::Absorb(doc ? &doc->GetError() : nullptr, kClass, kMethod);
  }
}

void CPDFResDict::SetDefaultProcSet() {
  static constexpr const char* kMethod = "SetDefaultProcSet";
  CPDFObjRegistry* doc = GetDoc();
  if (doc) doc->GetError().Clear();
  try {
    CPDFObjRef ref;
    CPDFArray* procSet = Get_ProcSet(&ref);
    if (!procSet) {
      // Absent, or a value of another type: a new direct array replaces it.
      std::unique_ptr<CPDFArray> fresh(new CPDFArray);
      if (!Set_ProcSet(fresh.get()))
        Fail(kMethod, CPDFException::kStepFailed, "CPDFResDict::Set_ProcSet()");
      procSet = fresh.release();
    } else {
      if (ref.IsDefined() && (!doc || !doc->UpdateObj(ref))) {
        Fail(kMethod, CPDFException::kStepFailed, "CPDFDoc::UpdateObj()");
      }
      procSet->RemoveAll();
    }
    auto append = [&](const char* text) {
      std::unique_ptr<CPDFProcSet> element(new CPDFProcSet(text));
      element->SetDoc(doc);
      if (!procSet->Push_Back(doc, std::move(element))) {
        Fail(kMethod, CPDFException::kStepFailed, "CPDFArray::Push_Back()");
      }
    };
    append("PDF");
    CPDFDict* fonts = CategoryDict(CPDFResource::CategoryName(CPDFResource::kFont), nullptr);
    if (fonts && fonts->GetCount() > 0) append("Text");
    CPDFDict* xobjects = CategoryDict(CPDFResource::CategoryName(CPDFResource::kXObject), nullptr);
    if (xobjects && xobjects->GetCount() > 0) {
      append("ImageB");
      append("ImageC");
      append("ImageI");
    }
  } catch (...) {
    CPDFException::Absorb(doc ? &doc->GetError() : nullptr, kClass, kMethod);
  }
}
