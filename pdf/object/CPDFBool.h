#pragma once
// The boolean object ("true"/"false") and the null object ("null").
#include <cstdint>

#include "pdf/object/CPDFObject.h"

class CPDFBool : public CPDFObject {
 public:
  CPDFBool() : CPDFObject(kBool, "Bool") {}
  explicit CPDFBool(bool value) : CPDFBool() { value_ = value ? 1 : 0; }
  CPDFBool(const CPDFBool&) = default;
  CPDFBool& operator=(const CPDFBool&) = default;
  ~CPDFBool() override = default;

  bool GetValue() const { return value_ != 0; }
  void SetValue(bool value) { value_ = value ? 1 : 0; }

  void Write(CPDFOutStream& out, const uint8_t* context) override;
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;
  bool Duplicate(CPDFBool* dest, CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc,
                 bool overwrite) const;

  // The parser's entry: "t" or "f" starts a boolean.
  static CPDFBool* SerializeObject(CPDFObjRegistry* doc, CPDFInStream& in, const uint8_t* context);
  void Serialize(CPDFObjRegistry* doc, CPDFInStream& in, const uint8_t* context);

 private:
  uint8_t value_ = 0;
};
