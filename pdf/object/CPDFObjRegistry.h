#pragma once
// What containers need of the document that owns indirect objects. The
// document class derives from this; tests use a small double.
#include <cstdint>
#include <map>
#include <memory>

#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFObjRef.h"

class CPDFObject;

// Data that another part of the library keeps per document (a cache of
// objects made for this document, say). The registry owns it.
class CPDFRegistryAttachment {
 public:
  virtual ~CPDFRegistryAttachment() = default;
};

class CPDFObjRegistry {
 public:
  virtual ~CPDFObjRegistry() = default;

  // Makes the object indirect. When ref holds a defined reference the object
  // replaces the one registered under it (which the registry deletes);
  // otherwise it gets a new number, written to ref when one is given. On
  // success the registry owns the object; on false the caller keeps it.
  // An object has one owner: a document answers true with the reference
  // it holds an object under already (without ref, or with that same
  // reference), and refuses an object held under another reference or by
  // another document.
  virtual bool RegistObj(CPDFObject* object, CPDFObjRef* ref) = 0;
  // The same with the ownership in the signature: the registry takes the
  // object on success; otherwise it is deleted here, unless a registry
  // holds it (CPDFObject::GetHolder), which keeps it. A class that
  // overrides RegistObj brings this overload in with a using-declaration.
  bool RegistObj(std::unique_ptr<CPDFObject> object, CPDFObjRef* ref);
  // The object registered under the reference (loaded on demand), or none.
  // The registry keeps ownership.
  virtual CPDFObject* GetObj(const CPDFObjRef& ref) = 0;
  // GetObj for the getters of arrays and dictionaries: a registry that
  // throws is taken as one that answered none, so no getter (and no typed
  // Check built on getters) lets the exception out.
  CPDFObject* Fetch(const CPDFObjRef& ref) {
    try {
      return GetObj(ref);
    } catch (...) {
      CPDFException::Absorb(nullptr, "CPDFObjRegistry", "GetObj");
      return nullptr;
    }
  }
  // Drops (and deletes) the object and frees its number.
  virtual void DeleteObj(const CPDFObjRef& ref) = 0;
  // Records the object as changed so that the next save writes it.
  virtual bool UpdateObj(const CPDFObjRef& ref) = 0;
  // Writes the object early (during a save) and frees it; a release that is
  // not forced leaves objects whose releasable flag is clear.
  virtual bool ReleaseObj(const CPDFObjRef& ref, bool force) = 0;
  // Moves the object into the linear order.
  virtual bool LinearizeObj(const CPDFObjRef& ref, bool force) = 0;
  // The linearisation map: the new reference of an already moved object.
  virtual bool GetLinearRef(const CPDFObjRef& from, CPDFObjRef* to) = 0;
  // The path of the document's file ("" for a new document).
  virtual const char* GetFileName() const = 0;
  // True for a document created or read as an FDF document; a registry
  // that is no document answers false.
  virtual bool IsFDF() const { return false; }

  // The error record: public operations clear it first and fill it on
  // failure only while it is still empty, so it keeps the innermost error.
  CPDFException& GetError() { return error_; }
  const CPDFException& GetError() const { return error_; }

  // Data kept per document by other parts, found by a tag of their own (the
  // address of a static). None when nothing is kept under the tag.
  CPDFRegistryAttachment* GetAttachment(const void* tag) const {
    auto it = attachments_.find(tag);
    return it == attachments_.end() ? nullptr : it->second.get();
  }
  // Keeps the data under the tag, replacing (and freeing) what was there;
  // none just frees it.
  void SetAttachment(const void* tag, std::unique_ptr<CPDFRegistryAttachment> data) {
    if (data) {
      attachments_[tag] = std::move(data);
    } else {
      attachments_.erase(tag);
    }
  }
  // Frees everything kept. A document calls it when it closes, before its
  // objects go, so that nothing kept refers to a closed document.
  void DropAttachments() { attachments_.clear(); }

 private:
  CPDFException error_;
  std::map<const void*, std::unique_ptr<CPDFRegistryAttachment>> attachments_;
};
