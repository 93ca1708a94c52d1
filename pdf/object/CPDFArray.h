#pragma once
// The PDF array: an ordered list of atoms (direct objects, references or
// empty slots) that it owns.
#include <cstdint>
#include <memory>

#include "pdf/object/CPDFObjRef.h"
#include "pdf/object/CPDFObject.h"
#include "pdf/object/TempArray.h"

class CPDFArray : public CPDFObject, public TempArray<CPDFAtom*, CPDFAtomDispose> {
 public:
  using Elements = TempArray<CPDFAtom*, CPDFAtomDispose>;
  using Elements::Push_Back;
  using Elements::SetAt;

  CPDFArray() : CPDFObject(kArray, "Array") {}
  CPDFArray(const CPDFArray&) = delete;
  CPDFArray& operator=(const CPDFArray&) = delete;
  ~CPDFArray() override = default;

  char GetSeparator() const { return separator_; }
  void SetSeparator(char separator) { separator_ = separator; }

  // The element at the index: a direct object itself, a reference resolved
  // through the document (none without one). The out reference is reset
  // first and receives the reference of an indirect element.
  CPDFObject* Get(CPDFObjRegistry* doc, int32_t index, CPDFObjRef* ref = nullptr);
  // Replaces the element (the old one is disposed of). With the indirect
  // flag the value is registered with the document (under *ref when it is
  // defined) and a reference stored; a value the document holds already
  // keeps its reference. False outside 0..count-1, with the flag but no
  // document, when the document refuses the value (another document holds
  // it), and without the flag for a value a document holds; the value then
  // stays the caller's.
  bool SetAt(CPDFObjRegistry* doc, int32_t index, CPDFObject* value, bool indirect = false,
             CPDFObjRef* ref = nullptr);
  bool Push_Back(CPDFObjRegistry* doc, CPDFObject* value, bool indirect = false,
                 CPDFObjRef* ref = nullptr);
  // The same with the ownership in the signature: the array (or the
  // document) takes the value when the store succeeds; otherwise it is
  // deleted here, unless a document holds it.
  bool SetAt(CPDFObjRegistry* doc, int32_t index, std::unique_ptr<CPDFObject> value,
             bool indirect = false, CPDFObjRef* ref = nullptr) {
    const bool stored = SetAt(doc, index, value.get(), indirect, ref);
    if (stored || (value && value->GetHolder())) value.release();
    return stored;
  }
  bool Push_Back(CPDFObjRegistry* doc, std::unique_ptr<CPDFObject> value, bool indirect = false,
                 CPDFObjRef* ref = nullptr) {
    const bool stored = Push_Back(doc, value.get(), indirect, ref);
    if (stored || (value && value->GetHolder())) value.release();
    return stored;
  }
  // Deletes the element (an indirect one is dropped from the document) and
  // erases its slot.
  void Remove(CPDFObjRegistry* doc, int32_t index);
  // Exchanges the elements with the source's.
  bool Assign(CPDFObjRegistry* doc, CPDFArray* source);

  // "[" elements separated by the separator "]"; empty slots as "null".
  // An array nested deeper than kMaxNesting in what is being written is
  // written as "null" (see WriteLevel).
  void Write(CPDFOutStream& out, const uint8_t* context) override;
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;
  bool Release(CPDFObjRegistry* doc) override;
  bool Linearize(CPDFObjRegistry* doc) override;
  // Deep copy into the destination (see CPDFCopyScope): values whose copy
  // flag is clear are skipped; without overwrite, existing indices keep
  // their elements.
  bool Duplicate(CPDFArray* dest, CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc,
                 bool overwrite) const;

  static CPDFArray* SerializeObject(CPDFObjRegistry* doc, CPDFInStream& in, const uint8_t* context);
  void Serialize(CPDFObjRegistry* doc, CPDFInStream& in, const uint8_t* context);

 protected:
  // Stores value (or a reference to it, registered) into slot index, or
  // appends when index is -1.
  bool Store(CPDFObjRegistry* doc, int32_t index, CPDFObject* value, bool indirect,
             CPDFObjRef* ref);

 private:
  char separator_ = ' ';
};
