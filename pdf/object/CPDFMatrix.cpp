#include "pdf/object/CPDFMatrix.h"

#include "pdf/object/CPDFRect.h"
#include "pdf/object/CPDFTypedStruct.h"

using pdfgeometry::HasNumbers;
using pdfgeometry::Rebuild;

namespace {
const float kIdentity[6] = {1, 0, 0, 1, 0, 0};
}

CPDFMatrix::CPDFMatrix() : CPDFDataStruct(kMatrix) { Rebuild(*this, kIdentity, 6); }

bool CPDFMatrix::Check(CPDFObjRegistry* doc, CPDFObject* object) {
  return HasNumbers(doc, object, 6);
}

bool CPDFMatrix::Assign(CPDFObjRegistry* doc, CPDFArray* source) {
  return CPDFArray::Assign(doc, source);
}

bool CPDFMatrix::Load(CPDFObjRegistry* doc, CPDFArray* source) {
  return PDFLoadFrame(this, doc, source, [&] { return IsWellFormed(); });
}

bool CPDFMatrix::IsWellFormed() const {
  return HasNumbers(GetDoc(), const_cast<CPDFMatrix*>(this), 6);
}

CPDFNumber* CPDFMatrix::GetNumber(int32_t index) const {
  if (GetCount() != 6) return nullptr;
  return dynamic_cast<CPDFNumber*>(const_cast<CPDFMatrix*>(this)->Get(GetDoc(), index));
}

CPDFMatrix& CPDFMatrix::SetIdentity() {
  if (!IsWellFormed()) {
    Rebuild(*this, kIdentity, 6);
  } else {
    for (int32_t i = 0; i < 6; ++i) GetNumber(i)->SetReal(kIdentity[i]);
  }
  return *this;
}

CPDFMatrix& CPDFMatrix::Concat(float A, float B, float C, float D, float E, float F) {
  if (!IsWellFormed()) SetIdentity();
  if (!IsWellFormed()) return *this;
  const double a = GetA()->GetReal(), b = GetB()->GetReal(), c = GetC()->GetReal();
  const double d = GetD()->GetReal(), e = GetE()->GetReal(), f = GetF()->GetReal();
  const double result[6] = {
      a * A + b * C, a * B + b * D,     c * A + d * C,
      c * B + d * D, e * A + f * C + E, e * B + f * D + F,
  };
  for (int32_t i = 0; i < 6; ++i) GetNumber(i)->SetReal(static_cast<float>(result[i]));
  return *this;
}

CPDFObject* CPDFMatrix::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  // The copy starts empty: the made-up elements of a new one must not stay.
  return PDFClone(this, doc, sourceDoc, [&](CPDFMatrix* copy) {
    copy->RemoveAll();
    return Duplicate(copy, doc, sourceDoc, true);
  });
}

bool CPDFMatrix::Duplicate(CPDFMatrix* dest, CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc,
                           bool overwrite) const {
  if (!dest) return false;
  CPDFStructBase::Duplicate(dest, doc, sourceDoc);
  return CPDFArray::Duplicate(dest, doc, sourceDoc, overwrite);
}
