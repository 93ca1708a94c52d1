#pragma once
// Annotations of a page. No annotation kind is built into the library yet:
// the factory answers none, so a page keeps its annotation dictionaries as
// read.
#include <cstdint>

#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFDict.h"

class CPDFAnnotation : public CPDFDocStruct, public CPDFDict {
 public:
  ~CPDFAnnotation() override = default;

  // A new annotation of the first kind in the mask that accepts the
  // dictionary, or none. The caller owns the result.
  static CPDFAnnotation* CreateAnnotation(CPDFObjRegistry* doc, CPDFDict* dict, int32_t mask);

 protected:
  CPDFAnnotation() : CPDFDocStruct(kAnnotation) { SetStructureFlags(false, false, false); }
};

// Page transitions; as with annotations, no style is built in yet.
class CPDFTransition : public CPDFDocStruct, public CPDFDict {
 public:
  ~CPDFTransition() override = default;

  static CPDFTransition* CreateTransition(CPDFObjRegistry* doc, CPDFDict* dict, int8_t mask);

 protected:
  CPDFTransition() : CPDFDocStruct(kTransition) {}
};
