#include "pdf/interactive/CPDFAnnotation.h"

CPDFAnnotation* CPDFAnnotation::CreateAnnotation(CPDFObjRegistry*, CPDFDict*, int32_t) {
  return nullptr;
}

CPDFTransition* CPDFTransition::CreateTransition(CPDFObjRegistry*, CPDFDict*, int8_t) {
  return nullptr;
}
