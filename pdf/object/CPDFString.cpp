#include "pdf/object/CPDFString.h"

#include <memory>
#include <string>

#include "pdf/object/CPDFCrypt.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFInStream.h"
#include "pdf/object/CPDFOutStream.h"
#include "pdf/object/PDFSyntax.h"

CPDFString& CPDFString::operator=(const CPDFString& other) {
  if (this != &other) {
    AssignObject(other);
    TempString::Assign(other);
    literal_ = other.literal_;
  }
  return *this;
}

void CPDFString::WriteForm(CPDFOutStream& out, const uint8_t* context, bool literal) {
  TempString bytes(c_str(), GetLength());
  if (bytes.GetLength() != GetLength()) {
    CPDFException::Throw("CPDFString", "Write", CPDFException::kStepFailed, "TempString::Assign()");
  }
  if (context && bytes.GetLength() > 0) {
    CPDFCrypt cipher(context);
    cipher.Crypt(bytes.GetBuffer(), bytes.GetLength());
  }
  TempString text;
  const bool ok = literal ? pdfsyntax::EscapeLiteralString(text, bytes.c_str(), bytes.GetLength())
                          : pdfsyntax::EscapeHexString(text, bytes.c_str(), bytes.GetLength());
  if (!ok) {
    CPDFException::Throw("CPDFString", "Write", CPDFException::kStepFailed, "EscapeString()");
  }
  out.Write(text.c_str(), text.GetLength());
}

void CPDFString::Write(CPDFOutStream& out, const uint8_t* context) {
  WriteForm(out, context, literal_ != 0);
}

CPDFObject* CPDFString::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  try {
    std::unique_ptr<CPDFString> copy(new CPDFString);
    if (!Duplicate(copy.get(), doc, sourceDoc, true)) return nullptr;
    return copy.release();
  } catch (...) {
    CPDFException::Absorb(nullptr, "CPDFString", "Clone");
    return nullptr;
  }
}

bool CPDFString::Duplicate(CPDFString* dest, CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc,
                           bool overwrite) const {
  if (!dest || !CPDFObject::Duplicate(dest, doc, sourceDoc, overwrite)) return false;
  if (dest == this) return true;
  if (!dest->TempString::Assign(*this)) return false;
  dest->literal_ = literal_;
  return true;
}

bool CPDFString::Assign(CPDFObjRegistry*, CPDFString* source) {
  if (!source) return false;
  if (source == this) return true;
  return TempString::Assign(*source);
}

CPDFString* CPDFString::SerializeObject(CPDFObjRegistry* doc, CPDFInStream& in,
                                        const uint8_t* context) {
  const int c = in.Peek();
  if (c != '(' && c != '<') return nullptr;
  std::unique_ptr<CPDFString> value(new CPDFString);
  value->Serialize(doc, in, context);
  return value.release();
}

namespace {
[[noreturn]] void IoError() {
  CPDFException::Throw("CPDFString", "Serialize", CPDFException::kSyntax, "ioerror");
}
[[noreturn]] void InvalidToken(int c) {
  CPDFException::ThrowFormat("CPDFString", "Serialize", CPDFException::kSyntax, "invalidtoken: %c",
                             c);
}
}  // namespace

void CPDFString::Serialize(CPDFObjRegistry*, CPDFInStream& in, const uint8_t* context) {
  CPDFObject::Serialize();
  int c = in.Get();
  if (c < 0) IoError();
  // Collected with amortised growth, then unescaped once.
  std::string text(1, static_cast<char>(c));
  if (c == '(') {
    literal_ = 1;
    // Balanced parentheses nest; a backslash escapes the next byte.
    int64_t depth = 1;
    for (;;) {
      c = in.Get();
      if (c < 0) IoError();
      text.push_back(static_cast<char>(c));
      if (c == '\\') {
        c = in.Get();
        if (c < 0) IoError();
        text.push_back(static_cast<char>(c));
      } else if (c == '(') {
        ++depth;
      } else if (c == ')' && --depth == 0) {
        break;
      }
      if (text.size() > static_cast<size_t>(INT32_MAX / 2)) IoError();
    }
  } else if (c == '<') {
    literal_ = 0;
    for (;;) {
      c = in.Get();
      if (c < 0) IoError();
      if (c == '>') break;
      if (pdfsyntax::IsWhiteSpace(c)) continue;
      if (!pdfsyntax::IsHexDigit(c)) InvalidToken(c);
      text.push_back(static_cast<char>(c));
      if (text.size() > static_cast<size_t>(INT32_MAX / 2)) IoError();
    }
    text.push_back('>');
  } else {
    InvalidToken(c);
  }
  TempString bytes;
  if (!pdfsyntax::UnescapeString(bytes, text.data(), static_cast<int32_t>(text.size()))) {
    CPDFException::Throw("CPDFString", "Serialize", CPDFException::kStepFailed, "UnescapeString()");
  }
  if (context && bytes.GetLength() > 0) {
    CPDFCrypt cipher(context);
    cipher.Crypt(bytes.GetBuffer(), bytes.GetLength());
  }
  TempString::Swap(bytes);
}

void CPDFText::Write(CPDFOutStream& out, const uint8_t* context) {
  const bool unicode = GetLength() >= 2 && static_cast<unsigned char>(c_str()[0]) == 0xFE &&
                       static_cast<unsigned char>(c_str()[1]) == 0xFF;
  WriteForm(out, context, !unicode);
}

CPDFObject* CPDFText::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  try {
    std::unique_ptr<CPDFText> copy(new CPDFText);
    if (!Duplicate(copy.get(), doc, sourceDoc, true)) return nullptr;
    return copy.release();
  } catch (...) {
    CPDFException::Absorb(nullptr, "CPDFText", "Clone");
    return nullptr;
  }
}
