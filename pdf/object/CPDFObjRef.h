#pragma once
// An indirect reference: object number and generation number, both -1 when
// undefined. It stands in a container for an object the document holds.
#include <cstdint>

#include "pdf/object/CPDFAtom.h"

class CPDFOutStream;
class CPDFInStream;
class CPDFObject;
class CPDFObjRegistry;

class CPDFObjRef : public CPDFAtom {
 public:
  CPDFObjRef() : CPDFAtom(kIndirectReference, "Indirect Reference") {}
  CPDFObjRef(int32_t number, int32_t generation)
      : CPDFAtom(kIndirectReference, "Indirect Reference"),
        number_(number),
        generation_(generation) {}
  CPDFObjRef(const CPDFObjRef& other) = default;
  CPDFObjRef& operator=(const CPDFObjRef& other) = default;
  ~CPDFObjRef() override = default;

  int32_t GetNumber() const { return number_; }
  int32_t GetGeneration() const { return generation_; }
  void Set(int32_t number, int32_t generation) {
    number_ = number;
    generation_ = generation;
  }

  bool IsDefined() const { return number_ != -1 && generation_ != -1; }
  void Reset() { number_ = generation_ = -1; }
  bool IsEqual(const CPDFObjRef& o) const {
    return number_ == o.number_ && generation_ == o.generation_;
  }
  bool IsLess(const CPDFObjRef& o) const {
    return number_ != o.number_ ? number_ < o.number_ : generation_ < o.generation_;
  }
  bool operator==(const CPDFObjRef& o) const { return IsEqual(o); }
  bool operator!=(const CPDFObjRef& o) const { return !IsEqual(o); }

  // Writes "number generation R", or "null" when undefined.
  void Write(CPDFOutStream& out) const;

  // Tries to read "number generation R" at the stream's position: the first
  // two tokens must begin with a digit and the third must be "R". On any
  // mismatch the stream goes back where it was and none is returned.
  static CPDFObjRef* SerializeObject(CPDFInStream& in);

 private:
  int32_t number_ = -1;
  int32_t generation_ = -1;
};

// The walks of an array's or dictionary's Release and Linearize over its
// elements and over the containers nested in it directly, at any depth
// without a stack frame per level: a reference is handed to the document
// (released, or mapped to its new number in the linear order); the
// linearisation enters only direct objects whose linearizable flag is set.
// False when the document refuses or a reference meets no document; the
// walk stops there.
bool ReleaseElements(CPDFObjRegistry* doc, CPDFObject* container);
bool LinearizeElements(CPDFObjRegistry* doc, CPDFObject* container);

// A container refuses to hold directly an object that a registry holds as
// an indirect object (two owners would free it twice): records why in the
// document's error record when it is empty, and answers false.
bool RefuseHeldValue(CPDFObjRegistry* doc, const char* className, const char* methodName);
