#include "pdf/object/CPDFBool.h"

#include <cstring>
#include <memory>

#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFInStream.h"
#include "pdf/object/CPDFNull.h"
#include "pdf/object/CPDFOutStream.h"

void CPDFBool::Write(CPDFOutStream& out, const uint8_t*) { out.WriteBool(value_ != 0); }

CPDFObject* CPDFBool::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  try {
    std::unique_ptr<CPDFBool> copy(new CPDFBool);
    if (!Duplicate(copy.get(), doc, sourceDoc, true)) return nullptr;
    return copy.release();
  } catch (...) {
    CPDFException::Absorb(nullptr, "CPDFBool", "Clone");
    return nullptr;
  }
}

bool CPDFBool::Duplicate(CPDFBool* dest, CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc,
                         bool overwrite) const {
  if (!dest || !CPDFObject::Duplicate(dest, doc, sourceDoc, overwrite)) return false;
  dest->value_ = value_;
  return true;
}

CPDFBool* CPDFBool::SerializeObject(CPDFObjRegistry* doc, CPDFInStream& in,
                                    const uint8_t* context) {
  const int c = in.Peek();
  if (c != 't' && c != 'f') return nullptr;
  std::unique_ptr<CPDFBool> value(new CPDFBool);
  value->Serialize(doc, in, context);
  return value.release();
}

void CPDFBool::Serialize(CPDFObjRegistry*, CPDFInStream& in, const uint8_t*) {
  CPDFObject::Serialize();
  char token[CPDFInStream::kTokenSize];
  if (!in.ReadToken(token, sizeof token)) {
    CPDFException::Throw("CPDFBool", "Serialize", CPDFException::kSyntax, "ioerror");
  }
  if (std::strcmp(token, "true") == 0) {
    value_ = 1;
  } else if (std::strcmp(token, "false") == 0) {
    value_ = 0;
  } else {
    CPDFException::ThrowFormat("CPDFBool", "Serialize", CPDFException::kSyntax, "invalidtoken: %s",
                               token);
  }
}

void CPDFNull::Write(CPDFOutStream& out, const uint8_t*) { out.Write("null", 4); }

CPDFObject* CPDFNull::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  try {
    std::unique_ptr<CPDFNull> copy(new CPDFNull);
    if (!Duplicate(copy.get(), doc, sourceDoc, true)) return nullptr;
    return copy.release();
  } catch (...) {
    CPDFException::Absorb(nullptr, "CPDFNull", "Clone");
    return nullptr;
  }
}

CPDFNull* CPDFNull::SerializeObject(CPDFObjRegistry* doc, CPDFInStream& in,
                                    const uint8_t* context) {
  if (in.Peek() != 'n') return nullptr;
  std::unique_ptr<CPDFNull> value(new CPDFNull);
  value->Serialize(doc, in, context);
  return value.release();
}

void CPDFNull::Serialize(CPDFObjRegistry*, CPDFInStream& in, const uint8_t*) {
  CPDFObject::Serialize();
  char token[CPDFInStream::kTokenSize];
  if (!in.ReadToken(token, sizeof token)) {
    CPDFException::Throw("CPDFNull", "Serialize", CPDFException::kSyntax, "ioerror");
  }
  if (std::strcmp(token, "null") != 0) {
    CPDFException::ThrowFormat("CPDFNull", "Serialize", CPDFException::kSyntax, "invalidtoken: %s",
                               token);
  }
}
