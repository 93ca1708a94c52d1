#pragma once
// Typing of the page-tree values read from a file, shared by nodes and
// pages.
#include <cstdint>

#include "pdf/object/CPDFAccessor.h"
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFException.h"

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

// MediaBox, CropBox, ArtBox, TrimBox and BleedBox as rectangles and
// Resources as a resource dictionary, where they were read from a file.
bool ConvertInheritable(CPDFDict* dict, CPDFObjRegistry* doc);
