#pragma once
// A PDF name: its bytes without the solidus and without escapes. Every
// dictionary key is one; names order by their bytes (unsigned, length-aware).
#include <cstdint>

#include "pdf/object/CPDFObject.h"
#include "pdf/object/TempString.h"

class CPDFName : public CPDFObject, public TempString {
 public:
  CPDFName() : CPDFObject(kName, "Name") {}
  CPDFName(const char* text) : CPDFObject(kName, "Name"), TempString(text) {}  // NOLINT
  CPDFName(const char* bytes, int32_t length)
      : CPDFObject(kName, "Name"), TempString(bytes, length) {}
  CPDFName(const CPDFName& other) : CPDFObject(other), TempString(other) {}
  CPDFName& operator=(const CPDFName& other);
  ~CPDFName() override = default;

  // "/" and the escaped bytes.
  void Write(CPDFOutStream& out, const uint8_t* context) override;
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;
  bool Duplicate(CPDFName* dest, CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc,
                 bool overwrite) const;

  // The parser's entry: a name when the next byte is "/", else none.
  static CPDFName* SerializeObject(CPDFObjRegistry* doc, CPDFInStream& in, const uint8_t* context);
  // Reads "/name". Errors: ("CPDFName", "Serialize", 4, "ioerror" or
  // "invalidtoken: %c"). "/" followed by a terminator is the empty name.
  void Serialize(CPDFObjRegistry* doc, CPDFInStream& in, const uint8_t* context);
};

// Declares a constant name built on first use, e.g. inside a class:
//   PDF_CONST_NAME(Key_Type, "Type")  ->  static const CPDFName& Key_Type();
#define PDF_CONST_NAME(function, text) \
  static const CPDFName& function() {  \
    static const CPDFName name_(text); \
    return name_;                      \
  }
