#pragma once
// The root of every value the library handles: a direct PDF object, an
// indirect reference, or a content-stream element. Containers delete atoms
// through the virtual destructor without knowing their class.
#include <cstdint>

class CPDFAtom {
 public:
  enum Kind : int32_t {
    kBare = 0,
    kIndirectReference = 1,
    kObject = 2,
    kExternalOperator = 16,
  };

  CPDFAtom() = default;
  CPDFAtom(const CPDFAtom&) = default;
  CPDFAtom& operator=(const CPDFAtom&) = default;
  virtual ~CPDFAtom() = default;

  int32_t GetKind() const { return kind_; }
  const char* GetKindName() const { return kindName_; }

 protected:
  CPDFAtom(int32_t kind, const char* kindName) : kind_(kind), kindName_(kindName) {}

 private:
  int32_t kind_ = kBare;
  const char* kindName_ = "";
};
