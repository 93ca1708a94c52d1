#pragma once
// Typed conversion of raw entries shared by the typed loads: a value read
// from a file (loaded flag set) of the expected type becomes its typed
// class, stored back in its place (indirect again under the same reference
// when it was reached through one). Values already typed, made in memory,
// or of another type stay as they are.
#include <cstdint>

#include "pdf/object/CPDFAccessor.h"
#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFDate.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFStream.h"
#include "pdf/object/CPDFString.h"

// Converts the raw value under the key into T (through T::Check and
// T::Load) when it was read from a file and has a type of the mask. A value
// that fails the check stays as read (true); false only when a value that
// passed the check could not be loaded or stored.
template <class T, class Source>
bool PDFConvertChecked(CPDFDict* dict, CPDFObjRegistry* doc, const CPDFName& key,
                       int32_t mask) {
  CPDFObject* value = dict->Get(doc, key);
  if (!value || !value->IsLoaded() || !value->IsType(mask)) return true;
  auto* source = dynamic_cast<Source*>(value);
  if (!source || !T::Check(doc, source)) return true;
  return PDFConvertEntry<T, Source>(dict, doc, key, mask,
                                    [doc](T* typed, Source* raw) { return typed->Load(doc, raw); });
}

// The entry under the key. True when there was nothing to convert or the
// conversion succeeded.
template <class T>
bool PDFConvertNumberEntry(CPDFDict* dict, CPDFObjRegistry* doc, const CPDFName& key) {
  return PDFConvertEntry<T, CPDFNumber>(dict, doc, key, CPDFObject::kNumber,
                                        [doc](T* typed, CPDFNumber* raw) {
                                          return typed->Assign(doc, raw);
                                        });
}

// The elements first, first + step, ... of the array. An element that
// cannot be fetched (a reference that does not resolve), or a converted
// element that cannot be stored, fails.
template <class T>
bool PDFConvertNumberElements(CPDFArray* array, CPDFObjRegistry* doc, int32_t first = 0,
                              int32_t step = 1) {
  if (!array || step < 1) return false;
  for (int32_t i = first; i >= 0 && i < array->GetCount(); i += step) {
    CPDFObjRef ref;
    CPDFObject* element = array->Get(doc, i, &ref);
    if (!element) return false;
    auto* raw = dynamic_cast<CPDFNumber*>(element);
    if (!raw || !element->IsLoaded() || !element->IsType(CPDFObject::kNumber)) continue;
    T* typed = new T;
    if (!typed->Assign(doc, raw) || !array->SetAt(doc, i, typed, ref.IsDefined(), &ref)) {
      delete typed;
      return false;
    }
  }
  return true;
}

// A raw Source under the key that passes T::Check (when T has one) becomes
// a new T loaded from it (T::Load).
template <class T, class Source>
bool PDFLoadEntry(CPDFDict* dict, CPDFObjRegistry* doc, const CPDFName& key, int32_t mask) {
  if constexpr (requires(Source* raw) { T::Check(doc, raw); }) {
    return PDFConvertChecked<T, Source>(dict, doc, key, mask);
  } else {
    return PDFConvertEntry<T, Source>(dict, doc, key, mask, [doc](T* typed, Source* raw) {
      return typed->Load(doc, raw);
    });
  }
}

// The same for every element of an array: each raw Source element that
// passes T::Check becomes a new T loaded from it, stored at its index. An
// element that cannot be fetched, or a typed element that cannot be loaded
// or stored, fails.
template <class T, class Source>
bool PDFLoadElements(CPDFArray* array, CPDFObjRegistry* doc, int32_t mask) {
  if (!array) return true;
  for (int32_t i = 0; i < array->GetCount(); ++i) {
    CPDFObjRef ref;
    CPDFObject* element = array->Get(doc, i, &ref);
    if (!element) return false;
    auto* raw = dynamic_cast<Source*>(element);
    if (!raw || !element->IsLoaded() || !element->IsType(mask) || !T::Check(doc, raw)) continue;
    T* typed = new T;
    if (!typed->Load(doc, raw)) {
      delete typed;
      return false;
    }
    if (!array->SetAt(doc, i, typed, ref.IsDefined(), &ref)) {
      PDFGiveBack(typed, raw, doc);
      delete typed;
      return false;
    }
  }
  return true;
}

// A raw string that passes the date check becomes a CPDFDate.
inline bool PDFConvertDateEntry(CPDFDict* dict, CPDFObjRegistry* doc, const CPDFName& key) {
  return PDFLoadEntry<CPDFDate, CPDFString>(dict, doc, key, CPDFObject::kString);
}

// A raw value under the key of a type in the mask goes to a family factory,
// make(value) -> new T or none. A result is stored back in its place; none
// leaves the value as read. False when a result cannot be stored (it is
// deleted).
template <class T, class Make>
bool PDFConvertByFactory(CPDFDict* dict, CPDFObjRegistry* doc, const CPDFName& key,
                         int32_t mask, Make make) {
  CPDFObjRef ref;
  CPDFObject* value = dict->Get(doc, key, &ref);
  if (!value || !value->IsLoaded() || !value->IsType(mask)) return true;
  T* typed = make(value);
  if (!typed) return true;
  if (!dict->Set(doc, key, static_cast<CPDFObject*>(typed), ref.IsDefined(), &ref)) {
    PDFGiveBack(static_cast<CPDFObject*>(typed), value, doc);
    delete typed;
    return false;
  }
  return true;
}

// A raw string becomes a CPDFText of the same bytes.
inline bool PDFConvertTextEntry(CPDFDict* dict, CPDFObjRegistry* doc, const CPDFName& key) {
  return PDFConvertEntry<CPDFText, CPDFString>(
      dict, doc, key, CPDFObject::kString,
      [doc](CPDFText* typed, CPDFString* raw) { return typed->Assign(doc, raw); });
}
