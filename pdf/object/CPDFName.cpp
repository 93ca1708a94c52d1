#include "pdf/object/CPDFName.h"

#include <memory>
#include <string>

#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFInStream.h"
#include "pdf/object/CPDFOutStream.h"
#include "pdf/object/PDFSyntax.h"

CPDFName& CPDFName::operator=(const CPDFName& other) {
  if (this != &other) {
    AssignObject(other);
    TempString::Assign(other);
  }
  return *this;
}

void CPDFName::Write(CPDFOutStream& out, const uint8_t*) {
  TempString text;
  if (!pdfsyntax::EscapeName(text, c_str(), GetLength())) {
    CPDFException::Throw("CPDFName", "Write", CPDFException::kStepFailed, "EscapeName()");
  }
  out.Write(text.c_str(), text.GetLength());
}

CPDFObject* CPDFName::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  try {
    std::unique_ptr<CPDFName> copy(new CPDFName);
    if (!Duplicate(copy.get(), doc, sourceDoc, true)) return nullptr;
    return copy.release();
  } catch (...) {
    CPDFException::Absorb(nullptr, "CPDFName", "Clone");
    return nullptr;
  }
}

bool CPDFName::Duplicate(CPDFName* dest, CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc,
                         bool overwrite) const {
  if (!dest || !CPDFObject::Duplicate(dest, doc, sourceDoc, overwrite)) return false;
  return dest == this || dest->TempString::Assign(*this);
}

CPDFName* CPDFName::SerializeObject(CPDFObjRegistry* doc, CPDFInStream& in,
                                    const uint8_t* context) {
  if (in.Peek() != '/') return nullptr;
  std::unique_ptr<CPDFName> name(new CPDFName);
  name->Serialize(doc, in, context);
  return name.release();
}

void CPDFName::Serialize(CPDFObjRegistry*, CPDFInStream& in, const uint8_t*) {
  CPDFObject::Serialize();
  int c = in.Get();
  if (c < 0) CPDFException::Throw("CPDFName", "Serialize", CPDFException::kSyntax, "ioerror");
  if (c != '/') {
    CPDFException::ThrowFormat("CPDFName", "Serialize", CPDFException::kSyntax, "invalidtoken: %c",
                               c);
  }
  // Collected with amortised growth; the blocks of TempString would make
  // a long name quadratic.
  std::string text("/");
  for (;;) {
    c = in.Peek();
    if (c < 0) CPDFException::Throw("CPDFName", "Serialize", CPDFException::kSyntax, "ioerror");
    if (pdfsyntax::IsWhiteSpace(c) || pdfsyntax::IsDelimiter(c) || c == '%') break;
    if (c < 0x21 || c > 0x7E || c == '{' || c == '}') {
      CPDFException::ThrowFormat("CPDFName", "Serialize", CPDFException::kSyntax,
                                 "invalidtoken: %c", c);
    }
    text.push_back(static_cast<char>(in.Get()));
    if (text.size() > static_cast<size_t>(INT32_MAX / 4)) {
      CPDFException::Throw("CPDFName", "Serialize", CPDFException::kSyntax, "ioerror");
    }
  }
  TempString bytes;
  pdfsyntax::UnescapeName(bytes, text.data(), static_cast<int32_t>(text.size()));
  TempString::Assign(bytes);
}
