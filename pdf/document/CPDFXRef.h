#pragma once
// The cross-reference section of one revision: entries indexed by object
// number minus 1 (an empty slot means this revision has no entry for the
// number) and the list of free objects in ascending number order, linked
// through the free entries' offset fields with object 0 as its head.
#include <cstdint>
#include <set>
#include <vector>

#include "pdf/object/CPDFDataStruct.h"

struct CPDFXRefEntry {
  // The highest generation an entry can carry; an entry that reaches it is
  // never used again.
  static constexpr int32_t kMaxGeneration = 65535;

  int32_t number = -1;
  int32_t generation = 0;
  // The byte offset of an object in use; the next free number of a free
  // entry (0 ends the list).
  int32_t offset = 0;
  bool inUse = false;
};

class CPDFXRef : public CPDFFileStruct {
 public:
  CPDFXRef() : CPDFFileStruct(kXRef) {}
  ~CPDFXRef() override = default;

  // Records the document. With a previous section the table gets its size
  // and the free entries (and so the free list) are copied; entries in use
  // are not.
  bool Create(CPDFObjRegistry* doc, const CPDFXRef* previous);
  // "xref", then one subsection per run of consecutive numbers that have an
  // entry, the first always starting at object 0; 20 bytes per entry.
  void Serialize(CPDFOutStream& out) override;

  // The entry of the number, or none.
  CPDFXRefEntry* GetEntry(int32_t number);
  const CPDFXRefEntry* GetEntry(int32_t number) const;
  // The table size: the highest number this section can hold.
  int32_t GetCount() const { return static_cast<int32_t>(entries_.size()); }
  // Grows the table to count slots (never shrinks it).
  bool SetCount(int32_t count);
  // Appends an entry in use (table size + 1, generation 0, offset 0).
  bool AddEntry(int32_t* number);
  // Copies the entry into its slot; false for number -1, a number beyond
  // the table, or a generation outside 0..65535. A free entry joins the
  // free list.
  bool SetEntry(const CPDFXRefEntry& entry);
  // Empties the slot of the number (the entry leaves the free list).
  void RemoveEntry(int32_t number);
  // Frees an entry in use: generation + 1, sorted into the free list.
  // False for a number without an entry in use.
  bool FreeEntry(int32_t number);
  // Takes a free entry off the free list and sets it in use (offset 0, the
  // generation kept); true at once for an entry in use, false for a number
  // without an entry.
  bool UpdateEntry(int32_t number);
  // The lowest free entry that can still be used again, or none.
  const CPDFXRefEntry* GetReusable() const;

  // The first free number (0 = none).
  int32_t GetFreeHead() const { return free_.empty() ? 0 : *free_.begin(); }

 private:
  struct Slot {
    bool present = false;
    CPDFXRefEntry entry;
  };
  Slot* SlotOf(int32_t number);
  const Slot* SlotOf(int32_t number) const;
  // Keep the free list and the links in the entries' offsets in step.
  void LinkFree(int32_t number);
  void UnlinkFree(int32_t number);

  std::vector<Slot> entries_;
  std::set<int32_t> free_;
  std::set<int32_t> reusable_;
};
