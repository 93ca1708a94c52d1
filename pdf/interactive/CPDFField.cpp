#include "pdf/interactive/CPDFField.h"

CPDFField* CPDFField::CreateField(CPDFObjRegistry*, CPDFDict*, int32_t) { return nullptr; }
