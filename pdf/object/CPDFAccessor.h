#pragma once
// Earlier load and accessor helpers, kept until every typed class uses the
// kit in CPDFTypedStruct.h; nothing new uses them.
// The typed-accessor pattern: every Get_<Key>/Set_<Key> pair of a typed
// dictionary goes through CPDFDict::Get/Set with the class's own document.
// A stored value of another class than the accessor's answers none (a
// checked cast), never undefined behaviour.
//
// Inside a class derived from CPDFDict that has GetDoc():
//   PDF_DICT_ACCESSOR(Pages, CPDFPages)
// declares Key_Pages() (the constant name "Pages"), Get_Pages(ref) and
// Set_Pages(value, indirect, ref).
//
// Load helpers: PDFLoadEntries takes over a raw dictionary's entries and
// gives them back when the conversion of the entries fails, so nothing the
// file held is lost; PDFConvertEntry turns one raw entry into a typed class.
#include <cstdint>
#include <exception>
#include <type_traits>

#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFName.h"
#include "pdf/object/CPDFObjRef.h"
#include "pdf/object/CPDFTypedStruct.h"

#define PDF_DICT_ACCESSOR(Key, Type)                                                 \
  PDF_CONST_NAME(Key_##Key, #Key)                                                    \
  Type* Get_##Key(CPDFObjRef* ref = nullptr) {                                       \
    return PDFGetAs<Type>(this, GetDoc(), Key_##Key(), ref);                         \
  }                                                                                  \
  bool Set_##Key(Type* value, bool indirect = false, CPDFObjRef* ref = nullptr) {    \
    return PDFSetAs<Type>(this, GetDoc(), Key_##Key(), value, indirect, ref);        \
  }

// The out-of-line bodies of a Get_<Key>/Set_<Key> pair that a class declares
// itself (its header only forward-declares Type), in the class's .cpp:
//   PDF_DICT_ACCESSOR_BODIES(CPDFFormXObj, BBox, CPDFRect)
#define PDF_DICT_GETTER_BODY(Class, Key, Type)                                      \
  Type* Class::Get_##Key(CPDFObjRef* ref) {                                         \
    return PDFGetAs<Type>(this, GetDoc(), Key_##Key(), ref);                        \
  }
#define PDF_DICT_ACCESSOR_BODIES(Class, Key, Type)                                  \
  PDF_DICT_GETTER_BODY(Class, Key, Type)                                            \
  bool Class::Set_##Key(Type* value, bool indirect, CPDFObjRef* ref) {              \
    return PDFSetAs(this, GetDoc(), Key_##Key(), value, indirect, ref);             \
  }

// The first steps of a typed dictionary's Load: takes over the source's
// entries (Assign), then runs convert(). When convert answers false or
// throws, the entries go back to the source and the answer is false.
template <class Convert>
bool PDFLoadEntries(CPDFDict* self, CPDFObjRegistry* doc, CPDFDict* source, Convert convert) {
  if (!self || !source || !self->Assign(doc, source)) return false;
  bool ok = false;
  try {
    ok = convert();
  } catch (...) {
    CPDFException::Absorb(nullptr, "CPDFDict", "Load");
    ok = false;
  }
  if (!ok) source->Assign(doc, self);
  return ok;
}


// Converts the raw value under the key into class T when it was read from a
// file (loaded flag set) and has a type bit of the mask: a new T made from
// the value with make(T*, Source*) (its Assign or Load), stored back under
// the key, indirect under the same reference when it was reached through
// one. True when there was nothing to convert or the conversion succeeded;
// false when it failed (the new object is deleted, the entry unchanged:
// content the new object took over goes back to the raw value).
template <class T, class Source, class Make>
bool PDFConvertEntry(CPDFDict* dict, CPDFObjRegistry* doc, const CPDFName& key, int32_t mask,
                     Make make) {
  CPDFObjRef ref;
  CPDFObject* value = dict->Get(doc, key, &ref);
  if (!value || !value->IsLoaded() || !value->IsType(mask)) return true;
  auto* source = dynamic_cast<Source*>(value);
  if (!source) return true;
  T* typed = nullptr;
  bool made = false;
  try {
    typed = new T;
    if (!make(typed, source)) {
      delete typed;
      return false;
    }
    made = true;
    if (!dict->Set(doc, key, static_cast<CPDFObject*>(typed), ref.IsDefined(), &ref)) {
      PDFGiveBack(static_cast<CPDFObject*>(typed), value, doc);
      delete typed;
      return false;
    }
    return true;
  } catch (...) {
    if (made) PDFGiveBack(static_cast<CPDFObject*>(typed), value, doc);
    delete typed;
    return CPDFException::Absorb(nullptr, "CPDFDict", "Load");
  }
}

// The Clone of a typed structure T: a new T filled by copy(new T); none
// when that fails or throws (a throw is recorded under the class name).
template <class T, class Copy>
T* PDFCloneWith(Copy copy, const char* className = "CPDFDataStruct") {
  T* result = nullptr;
  try {
    result = new T;
    if (copy(result)) return result;
  } catch (...) {
    CPDFException::Absorb(nullptr, className, "Clone");
  }
  delete result;
  return nullptr;
}

// The Clone of a typed dictionary, array or string: CopyDataStruct (which
// overwrites) into a new T.
template <class T>
T* PDFCloneStruct(T* source, CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc,
                  const char* className = "CPDFDataStruct") {
  return PDFCloneWith<T>(
      [&](T* copy) { return CopyDataStruct(source, copy, doc, sourceDoc, true); }, className);
}
