#pragma once
// The null object, written "null".
#include <cstdint>

#include "pdf/object/CPDFObject.h"

class CPDFNull : public CPDFObject {
 public:
  CPDFNull() : CPDFObject(kNull, "Null") {}
  CPDFNull(const CPDFNull&) = default;
  CPDFNull& operator=(const CPDFNull&) = default;
  ~CPDFNull() override = default;

  void Write(CPDFOutStream& out, const uint8_t* context) override;
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;
  bool Duplicate(CPDFNull* dest, CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc,
                 bool overwrite) const {
    return CPDFObject::Duplicate(dest, doc, sourceDoc, overwrite);
  }

  // The parser's entry: "n" starts a null.
  static CPDFNull* SerializeObject(CPDFObjRegistry* doc, CPDFInStream& in, const uint8_t* context);
  void Serialize(CPDFObjRegistry* doc, CPDFInStream& in, const uint8_t* context);
};
