#pragma once
// The header section: "%PDF-" (or "%FDF-") and the version, then a comment
// line of four bytes above 127 so that transfer programs treat the file as
// binary.
#include <cstdint>

#include "pdf/object/CPDFDataStruct.h"

class CPDFHeader : public CPDFFileStruct {
 public:
  CPDFHeader() : CPDFFileStruct(kHeader) {}
  ~CPDFHeader() override = default;

  bool Create(CPDFObjRegistry* doc, bool fdf, int32_t major, int32_t minor);
  void Serialize(CPDFOutStream& out) override;

  bool IsFDF() const { return fdf_; }
  int32_t GetMajor() const { return major_; }
  int32_t GetMinor() const { return minor_; }

 private:
  bool fdf_ = false;
  int32_t major_ = 1;
  int32_t minor_ = 3;
};
