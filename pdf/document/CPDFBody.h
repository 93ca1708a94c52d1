#pragma once
// The body section of one revision: a table of object slots indexed by
// object number minus 1. A slot is empty or holds the object's reference and
// the object, which the body owns. The document writes the objects; the
// body's own Serialize writes nothing.
//
// The body marks every object it holds with its document and reference
// (CPDFObject::GetHolder) and clears the mark when it hands the object out,
// so the document finds the reference of an object it holds without a
// search.
#include <cstdint>
#include <vector>

#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFObjRef.h"

class CPDFObject;

class CPDFBody : public CPDFFileStruct {
 public:
  CPDFBody() : CPDFFileStruct(kBody) {}
  ~CPDFBody() override;
  CPDFBody(const CPDFBody&) = delete;
  CPDFBody& operator=(const CPDFBody&) = delete;

  // Records the document; with a previous body the table gets as many
  // (empty) slots as the previous one has.
  bool Create(CPDFObjRegistry* doc, const CPDFBody* previous);
  void Serialize(CPDFOutStream&) override {}

  // The object when the slot of the reference's number holds exactly that
  // reference (number and generation), else none.
  CPDFObject* GetObj(const CPDFObjRef& ref) const;
  // The object in the slot of the number whatever its generation, and the
  // stored reference; none for an empty slot.
  CPDFObject* GetSlot(int32_t number, CPDFObjRef* ref = nullptr) const;
  // Appends a slot (number = slot count + 1, generation 0) holding the
  // object and reports the reference.
  bool AddObj(CPDFObject* object, CPDFObjRef* ref);
  // Fills the slot of the reference's number: the reference is stored, and
  // an object other than the one held replaces it (the old one is deleted).
  // False for an undefined reference or a number beyond the table.
  bool SetObj(const CPDFObjRef& ref, CPDFObject* object);
  // Empties the slot and hands the object over without deleting it; none
  // when the slot does not hold the reference.
  CPDFObject* TakeObj(const CPDFObjRef& ref);
  // Empties the slot and deletes the object; false when it was not held.
  bool DeleteObj(const CPDFObjRef& ref);

  int32_t GetCount() const { return static_cast<int32_t>(slots_.size()); }
  // Grows the table to count slots (never shrinks it).
  bool SetCount(int32_t count);

 private:
  struct Slot {
    CPDFObjRef ref;
    CPDFObject* object = nullptr;
  };
  Slot* SlotOf(int32_t number);
  const Slot* SlotOf(int32_t number) const;

  std::vector<Slot> slots_;
};
