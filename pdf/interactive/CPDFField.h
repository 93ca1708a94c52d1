#pragma once
// Form fields: widget annotations that belong to the interactive form. No
// field kind is built into the library yet: the factory answers none, so a
// widget dictionary stays as read.
#include <cstdint>

#include "pdf/interactive/CPDFAnnotation.h"

class CPDFField : public CPDFAnnotation {
 public:
  static constexpr uint32_t kBit = 0x10000;

  ~CPDFField() override = default;

  // A new field of the first kind in the mask that accepts the dictionary,
  // or none. The caller owns the result.
  static CPDFField* CreateField(CPDFObjRegistry* doc, CPDFDict* dict, int32_t mask);

 protected:
  CPDFField() : CPDFAnnotation(kBit, "Widget") {}
};
