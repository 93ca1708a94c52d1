#pragma once
// The PDF dictionary: entries keyed by name in byte order, owning their
// values. Get resolves references through the document; Set can register a
// value with the document and store a reference instead. Every typed
// accessor (Get_/Set_ followed by the key) works through Get and Set.
#include <cstdint>
#include <memory>

#include "pdf/object/CPDFName.h"
#include "pdf/object/CPDFObjRef.h"
#include "pdf/object/CPDFObject.h"
#include "pdf/object/TempDict.h"

class CPDFDict : public CPDFObject, public TempDict<CPDFName, CPDFAtom*, CPDFAtomDispose> {
 public:
  using Entries = TempDict<CPDFName, CPDFAtom*, CPDFAtomDispose>;

  CPDFDict() : CPDFObject(kDictionary, "Dictionary") {}
  CPDFDict(const CPDFDict&) = delete;
  CPDFDict& operator=(const CPDFDict&) = delete;
  ~CPDFDict() override = default;

  char GetTerminator() const { return terminator_; }
  void SetTerminator(char terminator) { terminator_ = terminator; }

  // The value under the key: a direct object itself, a reference resolved
  // through the document (none without one). The out reference is reset
  // first and receives the reference of an indirect value. The dictionary
  // (or the document) keeps ownership.
  CPDFObject* Get(CPDFObjRegistry* doc, const CPDFName& key, CPDFObjRef* ref = nullptr) const;
  // Stores the value (the old one is disposed of unless it is the same).
  // With the indirect flag the value is registered with the document (under
  // *ref when it holds a defined reference, else under a new number written
  // to *ref) and a reference stored; a value the document holds already
  // keeps its reference, so one object can be listed in many places. False
  // with the flag but no document, for no value, when the document refuses
  // the value (another document holds it), and without the flag for a value
  // a document holds (a direct value has one owner, its container); the
  // value then stays the caller's.
  bool Set(CPDFObjRegistry* doc, const CPDFName& key, CPDFObject* value, bool indirect = false,
           CPDFObjRef* ref = nullptr);
  // The same with the ownership in the signature: the dictionary (or the
  // document) takes the value when the store succeeds; otherwise it is
  // deleted here, unless a document holds it.
  bool Set(CPDFObjRegistry* doc, const CPDFName& key, std::unique_ptr<CPDFObject> value,
           bool indirect = false, CPDFObjRef* ref = nullptr) {
    const bool stored = Set(doc, key, value.get(), indirect, ref);
    if (stored || (value && value->GetHolder())) value.release();
    return stored;
  }
  // Erases the key: an indirect value is dropped from the document, a direct
  // one deleted. An absent key is no error.
  void Remove(CPDFObjRegistry* doc, const CPDFName& key);
  bool HasKey(const CPDFName& key) const { return !Find(key).IsEnd(); }
  // Exchanges the entries with the source's (the first step of a typed Load).
  bool Assign(CPDFObjRegistry* doc, CPDFDict* source);

  // "<<" CR LF, then per entry "/Key value" and the terminator, then ">>".
  // A dictionary nested deeper than kMaxNesting in what is being written is
  // written as "null" (see WriteLevel).
  void Write(CPDFOutStream& out, const uint8_t* context) override;
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;
  bool Release(CPDFObjRegistry* doc) override;
  bool Linearize(CPDFObjRegistry* doc) override;
  // Deep copy into the destination (see CPDFCopyScope): values whose copy
  // flag is clear are skipped; a value reached through a reference is copied
  // once and registered; without overwrite, existing keys keep their values.
  bool Duplicate(CPDFDict* dest, CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc,
                 bool overwrite) const;

  // The parser's dictionary entry: "<<" reads a dictionary (or a stream when
  // one follows); a single "<" goes to the string reader.
  static CPDFObject* SerializeObject(CPDFObjRegistry* doc, CPDFInStream& in,
                                     const uint8_t* context);
  void Serialize(CPDFObjRegistry* doc, CPDFInStream& in, const uint8_t* context);

 private:
  char terminator_ = '\n';
};
