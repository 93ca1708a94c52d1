#include "pdf/object/CPDFNumber.h"

#include <cmath>
#include <memory>

#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFInStream.h"
#include "pdf/object/CPDFOutStream.h"
#include "pdf/object/CPDFTypedStruct.h"
#include "pdf/object/PDFSyntax.h"

int32_t CPDFNumber::Truncate(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return INT32_MAX;
  if (value <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(value);
}

int32_t CPDFNumber::ClampLong(long value) {
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}

void CPDFNumber::Write(CPDFOutStream& out, const uint8_t*) {
  if (IsRealRange()) {
    out.WriteReal(realValue_);
  } else {
    out.WriteInt(intValue_);
  }
}

CPDFObject* CPDFNumber::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc,
                  [&](CPDFNumber* copy) { return Duplicate(copy, doc, sourceDoc, true); });
}

bool CPDFNumber::Duplicate(CPDFNumber* dest, CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc,
                           bool overwrite) const {
  if (!dest || !CPDFObject::Duplicate(dest, doc, sourceDoc, overwrite)) return false;
  dest->intValue_ = intValue_;
  dest->realValue_ = realValue_;
  return true;
}

bool CPDFNumber::Assign(CPDFObjRegistry*, CPDFNumber* source) {
  if (!source) return false;
  intValue_ = source->intValue_;
  realValue_ = source->realValue_;
  return true;
}

CPDFNumber* CPDFNumber::SerializeObject(CPDFObjRegistry* doc, CPDFInStream& in,
                                        const uint8_t* context) {
  const int c = in.Peek();
  if (c < 0 || !pdfsyntax::IsNumberChar(c)) return nullptr;
  std::unique_ptr<CPDFNumber> number(new CPDFNumber);
  number->Serialize(doc, in, context);
  return number.release();
}

void CPDFNumber::Serialize(CPDFObjRegistry*, CPDFInStream& in, const uint8_t*) {
  CPDFObject::Serialize();
  char token[CPDFInStream::kTokenSize];
  if (!in.ReadToken(token, sizeof token)) {
    CPDFException::Throw("CPDFNumber", "Serialize", CPDFException::kSyntax, "ioerror");
  }
  intValue_ = pdfsyntax::ParseLong(token);
  realValue_ = pdfsyntax::ParseReal(token);
}

void CPDFInt::Write(CPDFOutStream& out, const uint8_t*) { out.WriteInt(GetInt()); }

CPDFObject* CPDFInt::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc,
                  [&](CPDFInt* copy) { return Duplicate(copy, doc, sourceDoc, true); });
}

void CPDFReal::Write(CPDFOutStream& out, const uint8_t*) { out.WriteReal(GetFloat()); }

CPDFObject* CPDFReal::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc,
                  [&](CPDFReal* copy) { return Duplicate(copy, doc, sourceDoc, true); });
}
