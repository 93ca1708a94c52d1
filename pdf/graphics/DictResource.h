#pragma once
// The load and clone steps shared by the resources that are plain
// dictionaries carried as read.
#include <memory>

#include "pdf/document/CPDFResource.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFException.h"

// Sets the document and takes over the source's entries.
inline bool LoadDictResource(CPDFResource* self, CPDFDict* dict, CPDFObjRegistry* doc,
                             CPDFDict* source) {
  if (!source) return false;
  self->SetDoc(doc);
  return dict->Assign(doc, source);
}

// A new T with the document and a copy of the source's entries; none on
// failure.
template <class T>
T* CloneDictResource(T* source, CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc,
                     const char* className) {
  try {
    std::unique_ptr<T> copy(new T);
    if (!CopyResource(source, copy.get(), doc, sourceDoc, true)) return nullptr;
    return copy.release();
  } catch (...) {
    CPDFException::Absorb(nullptr, className, "Clone");
    return nullptr;
  }
}
