#pragma once
// PDF strings: arbitrary bytes written in literal "(...)" or hexadecimal
// "<...>" form. CPDFText chooses its form by content (UTF-16BE with its
// byte-order mark goes hexadecimal). In memory the bytes are unescaped and
// decrypted; Write encrypts a copy when given an encryption context.
#include <cstdint>

#include "pdf/object/CPDFObject.h"
#include "pdf/object/TempString.h"

class CPDFString : public CPDFObject, public TempString {
 public:
  CPDFString() : CPDFObject(kString, "String") {}
  CPDFString(const char* text) : CPDFObject(kString, "String"), TempString(text) {}  // NOLINT
  CPDFString(const char* bytes, int32_t length)
      : CPDFObject(kString, "String"), TempString(bytes, length) {}
  CPDFString(const CPDFString& other)
      : CPDFObject(other), TempString(other), literal_(other.literal_) {}
  CPDFString& operator=(const CPDFString& other);
  ~CPDFString() override = default;

  // 1 literal form, 0 hexadecimal form.
  bool IsLiteral() const { return literal_ != 0; }
  void SetLiteral(bool literal) { literal_ = literal ? 1 : 0; }

  void Write(CPDFOutStream& out, const uint8_t* context) override;
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;
  // Flags, bytes and the form.
  bool Duplicate(CPDFString* dest, CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc,
                 bool overwrite) const;
  // Copies the bytes (not the form) of a raw string.
  bool Assign(CPDFObjRegistry* doc, CPDFString* source);

  // The parser's entry: "(" or "<" starts a string.
  static CPDFString* SerializeObject(CPDFObjRegistry* doc, CPDFInStream& in,
                                     const uint8_t* context);
  // Errors: ("CPDFString", "Serialize", 4, "ioerror" or "invalidtoken: %c").
  void Serialize(CPDFObjRegistry* doc, CPDFInStream& in, const uint8_t* context);

 protected:
  CPDFString(int32_t type, const char* typeName) : CPDFObject(type, typeName) {}
  // Writes the bytes (encrypted with the context) in the given form.
  void WriteForm(CPDFOutStream& out, const uint8_t* context, bool literal);

 private:
  uint8_t literal_ = 1;
};

class CPDFText : public CPDFString {
 public:
  CPDFText() : CPDFString(kText, "Text") {}
  CPDFText(const char* text) : CPDFText() { TempString::Assign(text); }  // NOLINT
  CPDFText(const char* bytes, int32_t length) : CPDFText() { TempString::Assign(bytes, length); }
  CPDFText(const CPDFText& other) = default;
  CPDFText& operator=(const CPDFText& other) = default;
  ~CPDFText() override = default;

  // FE FF at the start: hexadecimal form; all other text: literal form.
  void Write(CPDFOutStream& out, const uint8_t* context) override;
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;
};
