#include "pdf/graphics/CPDFShading.h"

CPDFResource* CPDFShading::CreateShading(CPDFObjRegistry*, CPDFObject*, int32_t) {
  return nullptr;
}

CPDFResource* CPDFPattern::CreatePattern(CPDFObjRegistry*, CPDFObject*, int32_t) {
  return nullptr;
}
