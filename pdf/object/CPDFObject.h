#pragma once
// The abstract direct PDF object: a type code with its name and four flag
// bytes (loaded, shared/copy, releasable, linearizable).
//
// Type tests are a bitwise and of the type code with a mask; a derived class
// carries only its own bit (a CPDFInt is 4, not 2).
#include <cstdint>

#include "pdf/object/CPDFAtom.h"
#include "pdf/object/CPDFDepthGuard.h"

class CPDFOutStream;
class CPDFInStream;
class CPDFObjRef;
class CPDFObjRegistry;

class CPDFObject : public CPDFAtom {
 public:
  enum Type : int32_t {
    kBool = 1,
    kNumber = 2,
    kInteger = 4,
    kReal = 8,
    kString = 16,
    kText = 32,
    kName = 64,
    kArray = 128,
    kDictionary = 256,
    kStream = 512,
    kNull = 1024,
    // Any number, whichever class holds it.
    kAnyNumber = kNumber | kInteger | kReal,
  };

  ~CPDFObject() override = default;

  int32_t GetType() const { return type_; }
  const char* GetTypeName() const { return typeName_; }
  // True when the type code has a bit of the mask.
  bool IsType(int32_t mask) const { return (type_ & mask) != 0; }

  // Read by the parser and not yet converted into a typed class.
  bool IsLoaded() const { return loaded_ != 0; }
  // The copy flag: a container duplication skips values that have it clear.
  bool IsShared() const { return shared_ != 0; }
  // A release that is not forced leaves objects with it clear in memory.
  bool IsReleasable() const { return releasable_ != 0; }
  // The linearisation walk descends only into objects that have it set.
  bool IsLinearizable() const { return linearizable_ != 0; }

  // The registry that holds this object as one of its indirect objects,
  // and the reference it holds it under (*ref, reset when none); none for
  // an object no registry holds. A document's bodies keep it as they store
  // and hand out objects, so finding an object's reference costs O(1). A
  // copy of an object is held by nobody.
  const CPDFObjRegistry* GetHolder(CPDFObjRef* ref = nullptr) const;
  // For the registries' bookkeeping only: the object is now held under ref,
  // or (none) by nobody.
  void SetHolder(const CPDFObjRegistry* holder, const CPDFObjRef& ref);
  void ClearHolder() { holder_ = nullptr; }

  // Writes the object in PDF syntax. The encryption context (10 bytes, or
  // none) is used by strings and stream data; containers pass it on to
  // their direct elements.
  virtual void Write(CPDFOutStream& out, const uint8_t* context) = 0;
  // A new deep copy for the document, or none on failure (nothing thrown).
  virtual CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) = 0;
  // Hands the indirect objects this object refers to back to the document.
  virtual bool Release(CPDFObjRegistry* doc);
  // Adds the indirect objects this object refers to to the linear order.
  virtual bool Linearize(CPDFObjRegistry* doc);

  // Copies the four flag bytes into the destination.
  bool Duplicate(CPDFObject* dest, CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc,
                 bool overwrite) const;
  // Takes over the content of a raw object of the matching class; nothing
  // to take at this level.
  bool Assign(CPDFObjRegistry*, CPDFObject*) { return true; }
  // Copies type code, type name and flags.
  void AssignObject(const CPDFObject& source);

  // The object parser: skips white space and comments, then tries the class
  // entries in the order dictionary or stream, array, name, string, number,
  // boolean, null. None when every entry declines; once an entry accepted
  // its first byte every problem is thrown as a CPDFException*. The caller
  // owns the result.
  static CPDFObject* SerializeObject(CPDFObjRegistry* doc, CPDFInStream& in,
                                     const uint8_t* context);
  // The deepest nesting of arrays and dictionaries the parser accepts.
  static constexpr int32_t kMaxNesting = 512;
  // The levels of arrays and dictionaries (streams included) that nest in
  // this object directly, itself included (a number 0, [1] 1, [[1]] 2),
  // counted no further than limit + 1: a walk on a list of its own, without
  // a stack frame per level. The document refuses to write an object above
  // kMaxNesting, which could not be read back.
  int32_t NestingDepth(int32_t limit);

 protected:
  CPDFObject(int32_t type, const char* typeName)
      : CPDFAtom(kObject, "Object"), type_(type), typeName_(typeName) {}
  // A copy takes type and flags; the holder stays with the original.
  CPDFObject(const CPDFObject& other)
      : CPDFAtom(other),
        type_(other.type_),
        loaded_(other.loaded_),
        shared_(other.shared_),
        releasable_(other.releasable_),
        linearizable_(other.linearizable_),
        typeName_(other.typeName_) {}
  CPDFObject& operator=(const CPDFObject& other) {
    if (this != &other) {
      CPDFAtom::operator=(other);
      AssignObject(other);
    }
    return *this;
  }

  // One level of the writer's nesting, entered by every array and
  // dictionary Write for as long as it runs (a thread's count). A level
  // beyond kMaxNesting is not written (null stands in its place), so no
  // write runs out of stack; a document checks NestingDepth before it
  // writes and never gets there.
  class WriteLevel {
   public:
    WriteLevel();
    WriteLevel(const WriteLevel&) = delete;
    WriteLevel& operator=(const WriteLevel&) = delete;
    bool TooDeep() const { return guard_.TooDeep(); }

   private:
    CPDFDepthGuard guard_;
  };

  // The first step of every reader.
  void Serialize() { loaded_ = 1; }
  // Constructors of document-structure classes that must not be copied,
  // released early or linearised clear these.
  void SetStructureFlags(bool shared, bool releasable, bool linearizable) {
    shared_ = shared ? 1 : 0;
    releasable_ = releasable ? 1 : 0;
    linearizable_ = linearizable ? 1 : 0;
  }
  void SetLoaded(bool loaded) { loaded_ = loaded ? 1 : 0; }

 private:
  int32_t type_ = 0;
  uint8_t loaded_ = 0;
  uint8_t shared_ = 1;
  uint8_t releasable_ = 1;
  uint8_t linearizable_ = 1;
  const char* typeName_ = "";
  const CPDFObjRegistry* holder_ = nullptr;
  int32_t heldNumber_ = -1;
  int32_t heldGeneration_ = -1;
};

// The disposal policy of arrays and dictionaries: a dropped element is
// deleted. An array, dictionary or stream dropped while another is being
// deleted waits on a list of the thread and is deleted after it, so
// freeing an object nested at any depth takes no stack frame per level.
struct CPDFAtomDispose {
  void operator()(CPDFAtom* atom) const;
};
