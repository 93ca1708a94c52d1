#pragma once
// The shading and pattern resource families. No member type is built: the
// factories answer none, so shading and pattern entries of a resource
// dictionary stay as read.
#include <cstdint>

#include "pdf/document/CPDFResource.h"

class CPDFObject;

class CPDFShading {
 public:
  // A typed shading for the object, or none when no shading type accepts it.
  static CPDFResource* CreateShading(CPDFObjRegistry* doc, CPDFObject* object, int32_t mask);
};

class CPDFPattern {
 public:
  // A typed pattern for the object, or none when no pattern type accepts it.
  static CPDFResource* CreatePattern(CPDFObjRegistry* doc, CPDFObject* object, int32_t mask);
};
