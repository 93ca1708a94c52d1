#pragma once
// The pattern resource family. No member type is built yet: the factory
// answers none, so pattern entries of a resource dictionary stay as read.
#include <cstdint>

#include "pdf/document/CPDFResource.h"

class CPDFObject;

class CPDFPattern {
 public:
  // A typed pattern for the object, or none when no pattern type accepts it.
  static CPDFResource* CreatePattern(CPDFObjRegistry* doc, CPDFObject* object, int32_t mask);
};
