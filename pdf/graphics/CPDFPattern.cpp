#include "pdf/graphics/CPDFPattern.h"

CPDFResource* CPDFPattern::CreatePattern(CPDFObjRegistry*, CPDFObject*, int32_t) { return nullptr; }
