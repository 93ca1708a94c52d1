#pragma once
// External operators: painting an XObject (Do) and a PostScript fragment
// (PS). Each writes its one operand and its keyword.
#include <cstdint>

#include "pdf/object/CPDFGraphObjs.h"

class CPDFExternalOperator : public CPDFGraphOperator {
 public:
  enum Kind : int32_t {
    kDo = 0,  // /name Do
    kPS = 1,  // op PS
  };

  CPDFExternalOperator() : CPDFGraphOperator(kExternalOperator, "External Operator") {}
  ~CPDFExternalOperator() override = default;

  // Any other kind writes nothing.
  void Write(CPDFOutStream& out) override;
  // 0x2000 for both kinds.
  uint32_t GetCategory() const override;

  // "/name Do" with a new name of the text.
  void SetDo(const char* name);
};
