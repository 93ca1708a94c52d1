#pragma once
// The typed-structure kit: everything a typed dictionary, array, string or
// stream class needs to read its entries, type them, copy itself and offer
// Get_/Set_ accessors. docs/typed-classes.md shows a class written with it.
//
// The kit's functions, by what they do:
//   Loading      PDFLoadFrame: the frame of a Load: take the raw object's
//                content over, run the conversions, give the entries back to
//                the raw object when one fails or throws; it also keeps the
//                nesting limit and the class's required keys.
//                PDFHasRequired (Check's half of the required keys) and
//                PDFHasRequiredKeys (Load's half).
//   Typing       PDFTypeEntry: type the value under one key, as class T (the
//                kit picks Check + Load or Assign from T) or through a family
//                factory. PDFTypeElement: the same for one element of an
//                array; PDFTypeElements: for every element (or every step-th
//                from first); PDFTypeEntryOrElements: for a key holding one
//                value or an array of them. PDFStoreTypedElement: store a
//                typed element outside a Load. PDFGiveBack: the give-back rule
//                below.
//   Type values  PDFTypeNumber (a constant type number), PDFCheckTypeNumber,
//                PDFSetTypeNumber, PDFSetTypeName, PDFSetType.
//   Accessors    PDFGetAs, PDFSetAs, PDFGetElementAs, PDFSetElementAs,
//                PDFSetRef; the PDF_..._ACCESSOR, _GETTER and _SETTER macros
//                are written with them.
//   Copying      PDFClone: the Clone of a typed structure: a new object, the
//                shared copy step (or the class's own), none on failure;
//                never throws. PDFCloneLeaving: the same without some keys.
//   Factories    PDFFactory: a family factory bound to a document, for the
//                factory forms of the typing functions.
//
// One give-back rule: when a typed object took over a raw object's content
// (the Assign exchange of dictionaries, arrays and streams) and is then not
// stored, the content goes back to the raw object, which is still where the
// file had it. Nothing the file held is lost and nothing is left emptied.
//
// Typed conversion rule: a value is converted only when it was read from a
// file (loaded flag set), has the raw type the target is made from, and
// passes the target's Check (when the target has one). Values made in
// memory, values already typed and values of another type stay as they are.
// The converted value is stored in the raw one's place, indirect again under
// the same reference when it was reached through one.
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <type_traits>

#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFDepthGuard.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFName.h"
#include "pdf/object/CPDFNull.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFObjRef.h"
#include "pdf/object/CPDFString.h"

class CPDFStream;

// ---------------------------------------------------------------- accessors

// The value under the key as class T, or none (absent, unresolved, or of
// another class). The out reference receives the reference of an indirect
// value.
template <class T>
T* PDFGetAs(const CPDFDict* dict, CPDFObjRegistry* doc, const CPDFName& key,
            CPDFObjRef* ref = nullptr) {
  if (!dict) {
    if (ref) ref->Reset();
    return nullptr;
  }
  return dynamic_cast<T*>(dict->Get(doc, key, ref));
}

// Stores the value (its object part) under the key; see CPDFDict::Set.
template <class T>
bool PDFSetAs(CPDFDict* dict, CPDFObjRegistry* doc, const CPDFName& key, T* value,
              bool indirect = false, CPDFObjRef* ref = nullptr) {
  static_assert(std::is_base_of_v<CPDFObject, T>, "the value must have an object part");
  if (!dict) return false;
  return dict->Set(doc, key, static_cast<CPDFObject*>(value), indirect, ref);
}

// The element at the index as class T, or none; see CPDFArray::Get.
template <class T>
T* PDFGetElementAs(CPDFArray* array, CPDFObjRegistry* doc, int32_t index,
                   CPDFObjRef* ref = nullptr) {
  if (!array) {
    if (ref) ref->Reset();
    return nullptr;
  }
  return dynamic_cast<T*>(array->Get(doc, index, ref));
}

// Stores the value (its object part) at the index, or appends it when the
// index is the element count (positional entries are filled in order); see
// CPDFArray::SetAt. False for a later index: a value never lands elsewhere.
template <class T>
bool PDFSetElementAs(CPDFArray* array, CPDFObjRegistry* doc, int32_t index, T* value,
                     bool indirect = false, CPDFObjRef* ref = nullptr) {
  static_assert(std::is_base_of_v<CPDFObject, T>, "the value must have an object part");
  if (!array) return false;
  auto* object = static_cast<CPDFObject*>(value);
  if (index == array->GetCount()) return array->Push_Back(doc, object, indirect, ref);
  return array->SetAt(doc, index, object, indirect, ref);
}

// One accessor form. Inside a typed class (one with GetDoc()):
//   PDF_ACCESSOR(Pages, CPDFPages)              getter and setter of one type
//   PDF_ACCESSOR(ColorSpace, CPDFObject)        a name is a valid value too
//   PDF_ACCESSOR(Alternate, CPDFObject, CPDFColorSpace)   getter, setter type
// declares Key_<Key>() (the constant name), Get_<Key>(ref) and
// Set_<Key>(value, indirect, ref). The getter answers none for a value of
// another class (a checked cast). A header that only forward-declares the
// types declares the pair with PDF_ACCESSOR_DECL and the .cpp defines it with
// PDF_ACCESSOR_DEF(Class, Key, ...). Positional entries of a typed array
// (colour-space families) use PDF_ELEMENT_ACCESSOR(Name, index, ...), entries
// of a dictionary the class holds inside PDF_NESTED_ACCESSOR(Key, holder, ...).
#define PDF_ACCESSOR_GET_(GetType, ...) GetType
#define PDF_ACCESSOR_SET_(GetType, SetType, ...) SetType

#define PDF_ACCESSOR(Key, ...)                                                               \
  PDF_CONST_NAME(Key_##Key, #Key)                                                            \
  PDF_ACCESSOR_GET_(__VA_ARGS__) * Get_##Key(CPDFObjRef* ref = nullptr) {                    \
    return PDFGetAs<PDF_ACCESSOR_GET_(__VA_ARGS__)>(this, GetDoc(), Key_##Key(), ref);       \
  }                                                                                          \
  bool Set_##Key(PDF_ACCESSOR_SET_(__VA_ARGS__, __VA_ARGS__) * value, bool indirect = false, \
                 CPDFObjRef* ref = nullptr) {                                                \
    return PDFSetAs(this, GetDoc(), Key_##Key(), value, indirect, ref);                      \
  }

#define PDF_ACCESSOR_DECL(Key, ...)                                                          \
  PDF_CONST_NAME(Key_##Key, #Key)                                                            \
  PDF_ACCESSOR_GET_(__VA_ARGS__) * Get_##Key(CPDFObjRef* ref = nullptr);                     \
  bool Set_##Key(PDF_ACCESSOR_SET_(__VA_ARGS__, __VA_ARGS__) * value, bool indirect = false, \
                 CPDFObjRef* ref = nullptr);

#define PDF_ACCESSOR_DEF(Class, Key, ...)                                                   \
  PDF_ACCESSOR_GET_(__VA_ARGS__) * Class::Get_##Key(CPDFObjRef* ref) {                      \
    return PDFGetAs<PDF_ACCESSOR_GET_(__VA_ARGS__)>(this, GetDoc(), Key_##Key(), ref);      \
  }                                                                                         \
  bool Class::Set_##Key(PDF_ACCESSOR_SET_(__VA_ARGS__, __VA_ARGS__) * value, bool indirect, \
                        CPDFObjRef* ref) {                                                  \
    return PDFSetAs(this, GetDoc(), Key_##Key(), value, indirect, ref);                     \
  }

// An entry of a dictionary the class reaches through a member function of
// its own (the profile stream of an ICCBased space, the version dictionary
// of an OPI dictionary): PDF_NESTED_ACCESSOR(N, Get_Stream, CPDFObject).
// Without that dictionary the getter answers none and the setter false.
#define PDF_NESTED_ACCESSOR(Key, Holder, ...)                                                \
  PDF_CONST_NAME(Key_##Key, #Key)                                                            \
  PDF_ACCESSOR_GET_(__VA_ARGS__) * Get_##Key(CPDFObjRef* ref = nullptr) {                    \
    return PDFGetAs<PDF_ACCESSOR_GET_(__VA_ARGS__)>(Holder(), GetDoc(), Key_##Key(), ref);   \
  }                                                                                          \
  bool Set_##Key(PDF_ACCESSOR_SET_(__VA_ARGS__, __VA_ARGS__) * value, bool indirect = false, \
                 CPDFObjRef* ref = nullptr) {                                                \
    return PDFSetAs(Holder(), GetDoc(), Key_##Key(), value, indirect, ref);                  \
  }

#define PDF_ELEMENT_ACCESSOR(Name, Index, ...)                                                \
  PDF_ACCESSOR_GET_(__VA_ARGS__) * Get_##Name(CPDFObjRef* ref = nullptr) {                    \
    return PDFGetElementAs<PDF_ACCESSOR_GET_(__VA_ARGS__)>(this, GetDoc(), Index, ref);       \
  }                                                                                           \
  bool Set_##Name(PDF_ACCESSOR_SET_(__VA_ARGS__, __VA_ARGS__) * value, bool indirect = false, \
                  CPDFObjRef* ref = nullptr) {                                                \
    return PDFSetElementAs(this, GetDoc(), Index, value, indirect, ref);                      \
  }

// One half of a pair, where the other half does not exist or is written by
// hand because it does more than get or set:
//   PDF_GETTER(HTP, CPDFObject)     Key_HTP() and Get_HTP(ref) only
//   PDF_SETTER(DA, CPDFString)      Key_DA() and Set_DA(value, indirect, ref) only
// Same contracts as the halves of PDF_ACCESSOR.
#define PDF_GETTER(Key, GetType)                                \
  PDF_CONST_NAME(Key_##Key, #Key)                               \
  GetType* Get_##Key(CPDFObjRef* ref = nullptr) {               \
    return PDFGetAs<GetType>(this, GetDoc(), Key_##Key(), ref); \
  }

#define PDF_SETTER(Key, SetType)                                                     \
  PDF_CONST_NAME(Key_##Key, #Key)                                                    \
  bool Set_##Key(SetType* value, bool indirect = false, CPDFObjRef* ref = nullptr) { \
    return PDFSetAs(this, GetDoc(), Key_##Key(), value, indirect, ref);              \
  }

// An entry the class may inherit from an ancestor dictionary (the entries of
// form fields). The class has a member
//   CPDFObject* GetOwnOrInherited(const CPDFName& key, CPDFObjRef* ref)
// answering its own value when its dictionary holds the key, else the
// nearest ancestor's. The getter is a checked cast of that value; the setter
// stores in the class's own dictionary, like PDF_ACCESSOR's.
//   PDF_INHERITED_ACCESSOR(FT, CPDFName)                 getter and setter
//   PDF_INHERITED_ACCESSOR(V, CPDFObject, CPDFString)    getter, setter type
//   PDF_INHERITED_GETTER(DV, CPDFObject)                 getter only
#define PDF_INHERITED_GETTER(Key, GetType)                              \
  PDF_CONST_NAME(Key_##Key, #Key)                                       \
  GetType* Get_##Key(CPDFObjRef* ref = nullptr) {                       \
    return dynamic_cast<GetType*>(GetOwnOrInherited(Key_##Key(), ref)); \
  }

#define PDF_INHERITED_ACCESSOR(Key, ...)                                                     \
  PDF_INHERITED_GETTER(Key, PDF_ACCESSOR_GET_(__VA_ARGS__))                                  \
  bool Set_##Key(PDF_ACCESSOR_SET_(__VA_ARGS__, __VA_ARGS__) * value, bool indirect = false, \
                 CPDFObjRef* ref = nullptr) {                                                \
    return PDFSetAs(this, GetDoc(), Key_##Key(), value, indirect, ref);                      \
  }

// The setter of a constant type entry: Set_<Key>() stores a new direct copy
// of the class's constant (a name such as TypeName() or SubtypeName(), or a
// type number such as TypeValue()) under Key_<Key>(), which the class
// declares. Never throws; false when the store fails.
//   PDF_TYPE_SETTER(Type, TypeName)          bool Set_Type()
//   PDF_TYPE_SETTER(PatternType, TypeValue)  bool Set_PatternType()
#define PDF_TYPE_SETTER(Key, Constant) \
  bool Set_##Key() { return PDFSetType(this, GetDoc(), Key_##Key(), Constant()); }

// ---------------------------------------------------------------- required keys

// One row of a class's table of required keys: the key and the object types
// its value may have (CPDFObject type bits). A row without a key ends the
// table early (an empty table is {{}}). A class keeps one table,
//   static constexpr PDFRequiredKey kRequired[] = {{"Ascent", kNumber}, ...};
// which its Check reads with PDFHasRequired (present, of one of the types)
// and its Load hands to PDFLoadFrame (present).
struct PDFRequiredKey {
  const char* key = nullptr;
  int32_t types = 0;
};

// True when every key of the table is present in the dictionary with one of
// its types; references resolved. Never throws.
template <class Rows>
bool PDFHasRequired(CPDFDict* dict, CPDFObjRegistry* doc, const Rows& rows) {
  if (!dict) return false;
  try {
    for (const auto& row : rows) {
      if (!row.key) break;
      CPDFObject* value = dict->Get(doc, CPDFName(row.key));
      if (!value || !value->IsType(row.types)) return false;
    }
    return true;
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFDataStruct", "Check");
  }
}

// True when every key of the table is present (its value fetched,
// references resolved), whatever its type: what a Load requires. A value of
// another type stays as read, as every conversion leaves it.
template <class Rows>
bool PDFHasRequiredKeys(CPDFDict* dict, CPDFObjRegistry* doc, const Rows& rows) {
  if (!dict) return false;
  for (const auto& row : rows) {
    if (!row.key) break;
    if (!dict->Get(doc, CPDFName(row.key))) return false;
  }
  return true;
}

// Stores a copy of the reference under the key (a link to an object the
// document already holds, such as a page's Parent). False when the store
// fails; nothing is left behind.
inline bool PDFSetRef(CPDFDict* dict, const CPDFName& key, const CPDFObjRef& ref) {
  if (!dict) return false;
  std::unique_ptr<CPDFObjRef> stored(new CPDFObjRef(ref));
  if (!dict->SetAt(key, stored.get())) return false;
  stored.release();
  return true;
}

// ---------------------------------------------------------------- give back

// After a typed object took over a raw one's content (the Assign exchange
// of dictionaries, streams and arrays) but could not be stored in its
// place: the content goes back to the raw object. Values that were copied
// rather than taken need nothing.
void PDFGiveBack(CPDFObject* typed, CPDFObject* raw, CPDFObjRegistry* doc);

// ---------------------------------------------------------------- load frame

// The nesting limit of typed loads that can reach a value of their own
// family or class again (functions holding functions, colour spaces holding
// colour spaces, images holding masks, descriptors listing descriptors, CMaps
// using CMaps, actions followed by actions). A file can make such values refer
// back to themselves. A class opts in by declaring
//   static constexpr bool kNestedLoad = true;
// (a family base declares it for all its members); each load frame of such a
// class enters one level of one per-thread counter, shared by every family,
// so a cycle that passes through several families ends as well.
//
// One behaviour at the limit: a value that would be loaded past kMaxDepth
// levels stays as read. The frame refuses the load (false, the source
// untouched), a family factory then answers none, and PDFTypeEntry /
// PDFTypeElement(s) see the limit before they make the typed object; either
// way the value stays raw and the load that holds it goes on.
class CPDFLoadDepth : public CPDFDepthGuard {
 public:
  static constexpr int32_t kMaxDepth = 32;

  CPDFLoadDepth() noexcept : CPDFDepthGuard(Depth(), kMaxDepth) {}

  // True when one more level would lie beyond the limit.
  static bool Full() noexcept { return Depth() >= kMaxDepth; }

 private:
  static int32_t& Depth() {
    thread_local int32_t depth = 0;
    return depth;
  }
};

namespace pdf_kit {
// Whether loads of T count against the nesting limit.
template <class T>
constexpr bool NestedLoad() {
  if constexpr (requires { T::kNestedLoad; }) {
    return T::kNestedLoad;
  } else {
    return false;
  }
}
}  // namespace pdf_kit

// The frame of a typed Load: sets the document, takes over the source's
// content (Assign), then runs convert(). When convert answers false or
// throws, the content goes back to the source and the answer is false.
// A class of nested loads enters one level of the nesting limit for the
// whole frame; past the limit the frame answers false and takes nothing
// over. Nothing is thrown.
//
// What a failed load gives back: the source gets its entries again; an entry
// that a conversion already typed before the failure stays typed (a typed
// value is never turned back into a raw one). Only a Load that failed before
// its first conversion leaves the source exactly as it was read.
template <class Self, class Source, class Convert>
bool PDFLoadFrame(Self* self, CPDFObjRegistry* doc, Source* source, Convert convert) {
  if (!self || !source) return false;
  [[maybe_unused]] std::conditional_t<pdf_kit::NestedLoad<Self>(), CPDFLoadDepth, int> depth{};
  if constexpr (pdf_kit::NestedLoad<Self>()) {
    if (depth.TooDeep()) return false;
  }
  try {
    self->SetDoc(doc);
    if (!self->Assign(doc, source)) return false;
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFDataStruct", "Load");
  }
  bool ok = false;
  try {
    ok = convert();
  } catch (...) {
    ok = CPDFException::Absorb(nullptr, "CPDFDataStruct", "Load");
  }
  if (!ok) {
    try {
      // The one give-back rule (a stream-held typed object gives a plain
      // dictionary source its entries back).
      PDFGiveBack(self, source, doc);
    } catch (...) {
      CPDFException::Absorb(nullptr, "CPDFDataStruct", "Load");
    }
  }
  return ok;
}

// The frame with nothing to convert.
template <class Self, class Source>
bool PDFLoadFrame(Self* self, CPDFObjRegistry* doc, Source* source) {
  return PDFLoadFrame(self, doc, source, [] { return true; });
}

// The frame of a class with a table of required keys: the load fails (the
// entries given back) when a key of the table is absent or cannot be
// fetched, before anything is converted.
template <class Self, class Source, class Rows, class Convert>
bool PDFLoadFrame(Self* self, CPDFObjRegistry* doc, Source* source, const Rows& required,
                  Convert convert) {
  return PDFLoadFrame(self, doc, source,
                      [&] { return PDFHasRequiredKeys(self, doc, required) && convert(); });
}

// ---------------------------------------------------------------- typing

// Whether a typed entry must be present.
enum class PDFEntry { kOptional, kRequired };

namespace pdf_kit {

// The raw class a typed class T is made from, and its type bit: the object
// class T derives from (a stream before a dictionary, a string for text and
// dates, a number for integers and reals). Only T must be complete here.
template <class T>
struct RawOf {
  using Type = std::conditional_t<
      std::is_base_of_v<CPDFStream, T>, CPDFStream,
      std::conditional_t<
          std::is_base_of_v<CPDFDict, T>, CPDFDict,
          std::conditional_t<std::is_base_of_v<CPDFArray, T>, CPDFArray,
                             std::conditional_t<std::is_base_of_v<CPDFString, T>, CPDFString,
                                                std::conditional_t<std::is_base_of_v<CPDFNumber, T>,
                                                                   CPDFNumber, CPDFName>>>>>;
  static constexpr int32_t kMask = std::is_same_v<Type, CPDFStream>   ? CPDFObject::kStream
                                   : std::is_same_v<Type, CPDFDict>   ? CPDFObject::kDictionary
                                   : std::is_same_v<Type, CPDFArray>  ? CPDFObject::kArray
                                   : std::is_same_v<Type, CPDFString> ? CPDFObject::kString
                                   : std::is_same_v<Type, CPDFNumber> ? CPDFObject::kNumber
                                                                      : CPDFObject::kName;
};

// A slot of a container: an entry of a dictionary or an element of an array.
struct Slot {
  CPDFDict* dict = nullptr;
  const CPDFName* key = nullptr;
  CPDFArray* array = nullptr;
  int32_t index = 0;

  CPDFObject* Get(CPDFObjRegistry* doc, CPDFObjRef* ref) const {
    return dict ? dict->Get(doc, *key, ref) : array->Get(doc, index, ref);
  }
  bool Set(CPDFObjRegistry* doc, CPDFObject* value, const CPDFObjRef& ref) const {
    CPDFObjRef where = ref;
    return dict ? dict->Set(doc, *key, value, ref.IsDefined(), &where)
                : array->SetAt(doc, index, value, ref.IsDefined(), &where);
  }
};

// Stores the typed value in the slot of the raw one; on failure gives the
// raw value its content back and deletes the typed value.
bool StoreTyped(const Slot& slot, CPDFObjRegistry* doc, CPDFObject* typed, CPDFObject* raw,
                const CPDFObjRef& ref);

// Types the slot as class T. A value that cannot be fetched answers
// `missing`; one that is absent answers false only when required.
template <class T>
bool TypeSlot(const Slot& slot, CPDFObjRegistry* doc, PDFEntry rule) {
  using Raw = typename RawOf<T>::Type;
  try {
    CPDFObjRef ref;
    CPDFObject* value = slot.Get(doc, &ref);
    if (!value) return rule == PDFEntry::kOptional;
    if (!value->IsLoaded() || !value->IsType(RawOf<T>::kMask)) return true;
    auto* raw = dynamic_cast<Raw*>(value);
    if (!raw) return true;
    if constexpr (NestedLoad<T>()) {
      if (CPDFLoadDepth::Full()) return true;  // past the nesting limit: stays as read
    }
    if constexpr (requires(Raw * r) { T::Check(doc, r); }) {
      if (!T::Check(doc, raw)) return true;
    }
    std::unique_ptr<T> typed(new T);
    bool filled;
    if constexpr (requires(T * t, Raw * r) { t->Load(doc, r); }) {
      filled = typed->Load(doc, raw);
    } else {
      filled = typed->Assign(doc, raw);
    }
    if (!filled) return false;
    return StoreTyped(slot, doc, static_cast<CPDFObject*>(typed.release()), value, ref);
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFDataStruct", "Load");
  }
}

// Types the slot through a family factory: make(CPDFObject*) answers a new
// typed object or none. None leaves the value as read (true).
template <class Make>
bool TypeSlotBy(const Slot& slot, CPDFObjRegistry* doc, int32_t mask, Make make, PDFEntry rule) {
  try {
    CPDFObjRef ref;
    CPDFObject* value = slot.Get(doc, &ref);
    if (!value) return rule == PDFEntry::kOptional;
    if (!value->IsLoaded() || !value->IsType(mask)) return true;
    auto* typed = make(value);
    if (!typed) return true;
    return StoreTyped(slot, doc, static_cast<CPDFObject*>(typed), value, ref);
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFDataStruct", "Load");
  }
}

}  // namespace pdf_kit

// Stores a typed value made from the raw element at the index in its place,
// indirect again under the reference when it is defined. On failure the raw
// element gets back the content the typed value took over, and the typed
// value is deleted. For code that types an element on demand, outside a
// Load (a page-tree walk typing the kid it reaches).
inline bool PDFStoreTypedElement(CPDFArray* array, CPDFObjRegistry* doc, int32_t index,
                                 std::unique_ptr<CPDFObject> typed, CPDFObject* raw,
                                 const CPDFObjRef& ref) {
  if (!array || !typed) return false;
  return pdf_kit::StoreTyped(pdf_kit::Slot{nullptr, nullptr, array, index}, doc, typed.release(),
                             raw, ref);
}

// Types the value under the key as class T: when it was read from a file,
// is of T's raw class and passes T::Check (where T has one), a new T is
// filled from it (T::Load where T has one, else T::Assign) and stored in
// its place. True when there was nothing to convert or the conversion
// succeeded; false when a required value is absent or cannot be fetched, or
// when filling or storing fails (the raw value then keeps its content).
template <class T>
bool PDFTypeEntry(CPDFDict* dict, CPDFObjRegistry* doc, const CPDFName& key,
                  PDFEntry rule = PDFEntry::kOptional) {
  if (!dict) return rule == PDFEntry::kOptional;
  return pdf_kit::TypeSlot<T>(pdf_kit::Slot{dict, &key, nullptr, 0}, doc, rule);
}

// Types the value under the key through a family factory: a value read from
// a file of a type in the mask goes to make(CPDFObject*), which answers a
// new typed object or none. None leaves the value as read; a result is
// stored in the value's place. False as above.
template <class Make>
bool PDFTypeEntry(CPDFDict* dict, CPDFObjRegistry* doc, const CPDFName& key, int32_t mask,
                  Make make, PDFEntry rule = PDFEntry::kOptional) {
  if (!dict) return rule == PDFEntry::kOptional;
  return pdf_kit::TypeSlotBy(pdf_kit::Slot{dict, &key, nullptr, 0}, doc, mask, make, rule);
}

// The same for the element at the index of an array (absent: past the end).
template <class T>
bool PDFTypeElement(CPDFArray* array, CPDFObjRegistry* doc, int32_t index,
                    PDFEntry rule = PDFEntry::kOptional) {
  if (!array || index < 0 || index >= array->GetCount()) return rule == PDFEntry::kOptional;
  return pdf_kit::TypeSlot<T>(pdf_kit::Slot{nullptr, nullptr, array, index}, doc, rule);
}

template <class Make>
bool PDFTypeElement(CPDFArray* array, CPDFObjRegistry* doc, int32_t index, int32_t mask, Make make,
                    PDFEntry rule = PDFEntry::kOptional) {
  if (!array || index < 0 || index >= array->GetCount()) return rule == PDFEntry::kOptional;
  return pdf_kit::TypeSlotBy(pdf_kit::Slot{nullptr, nullptr, array, index}, doc, mask, make, rule);
}

// Every element first, first + step, ... of the array as class T. An
// element that cannot be fetched (a reference that does not resolve) fails,
// and so does one that cannot be filled or stored. No array: nothing to do.
template <class T>
bool PDFTypeElements(CPDFArray* array, CPDFObjRegistry* doc, int32_t first = 0, int32_t step = 1) {
  if (!array) return true;
  if (step < 1) return false;
  for (int32_t i = first; i >= 0 && i < array->GetCount(); i += step) {
    if (!PDFTypeElement<T>(array, doc, i, PDFEntry::kRequired)) return false;
  }
  return true;
}

// Every element through a family factory.
template <class Make>
bool PDFTypeElements(CPDFArray* array, CPDFObjRegistry* doc, int32_t mask, Make make,
                     int32_t first = 0, int32_t step = 1) {
  if (!array) return true;
  if (step < 1) return false;
  for (int32_t i = first; i >= 0 && i < array->GetCount(); i += step) {
    if (!PDFTypeElement(array, doc, i, mask, make, PDFEntry::kRequired)) return false;
  }
  return true;
}

// The value under the key typed through a family factory, or, when it is an
// array, each of its elements of a type in the mask (in place, as
// PDFTypeElements does): a key that holds one function or an array of
// functions (a shading's Function, a stitching function's Functions, a
// graphics state's TR).
template <class Make>
bool PDFTypeEntryOrElements(CPDFDict* dict, CPDFObjRegistry* doc, const CPDFName& key, int32_t mask,
                            Make make, PDFEntry rule = PDFEntry::kOptional) {
  if (auto* array = PDFGetAs<CPDFArray>(dict, doc, key)) {
    return PDFTypeElements(array, doc, mask, make);
  }
  return PDFTypeEntry(dict, doc, key, mask, make, rule);
}

// ---------------------------------------------------------------- type numbers

// How a type number (ShadingType, HalftoneType, FunctionType ...) is
// compared with a class's constant: by its integer and its real value (2.0
// is 2, 2.5 is nothing), or by its integer value only (6.5 is 6).
enum class PDFTypeMatch { kValue, kInteger };

// A class's constant type number (ShadingType 2, FormType 1), built on first
// use: what PDFCheckTypeNumber compares with and PDF_TYPE_SETTER stores.
template <int32_t N>
const CPDFInt& PDFTypeNumber() {
  static const CPDFInt value(static_cast<int>(N));
  return value;
}

// True when the value under the key is a number as the parser makes it
// (an integer made in memory is not: a typed object is never taken for raw
// again) and equal to the constant as the match says.
bool PDFCheckTypeNumber(CPDFDict* dict, CPDFObjRegistry* doc, const CPDFName& key,
                        const CPDFInt& value, PDFTypeMatch match);

// Stores a new direct copy of the constant under the key, replacing what
// was there (an indirect number read from the file stays registered and
// unreferenced). False when the store fails.
bool PDFSetTypeNumber(CPDFDict* dict, CPDFObjRegistry* doc, const CPDFName& key,
                      const CPDFInt& value);

// Stores a new direct name equal to the constant under the key, replacing
// what was there: a class's Type or Subtype name. False when the store fails;
// never throws.
bool PDFSetTypeName(CPDFDict* dict, CPDFObjRegistry* doc, const CPDFName& key,
                    const CPDFName& value);

// The store of PDF_TYPE_SETTER: a constant name or a constant type number.
inline bool PDFSetType(CPDFDict* dict, CPDFObjRegistry* doc, const CPDFName& key,
                       const CPDFName& value) {
  return PDFSetTypeName(dict, doc, key, value);
}
inline bool PDFSetType(CPDFDict* dict, CPDFObjRegistry* doc, const CPDFName& key,
                       const CPDFInt& value) {
  return PDFSetTypeNumber(dict, doc, key, value);
}

// A family factory Create(doc, object, members) bound to the document and
// the member mask: the make of PDFTypeEntry / PDFTypeElement(s), as in
//   PDFTypeEntry(this, doc, Key_OPI(), CPDFObject::kDictionary,
//                PDFFactory(&CPDFOPIDict::CreateOPIDict, doc));
template <class T>
auto PDFFactory(T* (*create)(CPDFObjRegistry*, CPDFObject*, int32_t), CPDFObjRegistry* doc,
                int32_t members = -1) {
  return [create, doc, members](CPDFObject* object) { return create(doc, object, members); };
}

// ---------------------------------------------------------------- clone

// The Clone of a typed structure T: a new T filled by copy(T*), by default
// the shared copy step of T's object part (CopyDataStream for streams,
// CopyDataStruct for dictionaries, arrays and strings). None when the copy
// fails or throws; nothing is thrown.
template <class T, class Copy>
T* PDFClone(T* self, CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc, Copy copy) {
  T* result = nullptr;
  try {
    result = new T;
    if (self && copy(result)) return result;
  } catch (...) {
    CPDFException::Absorb(nullptr, "CPDFDataStruct", "Clone");
  }
  delete result;
  (void)doc;
  (void)sourceDoc;
  return nullptr;
}

// The Clone of a typed dictionary without some of its keys: each key to
// leave out is held by a null placeholder while the entries are copied
// without overwrite, so the source's values under those keys are never
// copied (a dangling one cannot fail the copy), and the placeholders are
// removed afterwards. None on failure.
template <class T>
T* PDFCloneLeaving(T* self, CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc,
                   std::initializer_list<const char*> leaveOut) {
  return PDFClone(self, doc, sourceDoc, [&](T* copy) {
    for (const char* key : leaveOut) {
      if (!copy->CPDFDict::Set(doc, CPDFName(key), std::make_unique<CPDFNull>())) return false;
    }
    if (!CopyDataStruct(self, copy, doc, sourceDoc, false)) return false;
    for (const char* key : leaveOut) copy->CPDFDict::Remove(doc, CPDFName(key));
    return true;
  });
}

template <class T>
T* PDFClone(T* self, CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(self, doc, sourceDoc, [&](T* copy) {
    if constexpr (std::is_base_of_v<CPDFStream, T>) {
      return CopyDataStream(self, copy, doc, sourceDoc);
    } else {
      return CopyDataStruct(self, copy, doc, sourceDoc, true);
    }
  });
}
