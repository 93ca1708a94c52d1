#pragma once
// Nesting guard of the object parser: arrays and dictionaries deeper than
// CPDFObject::kMaxNesting fail with ("<class>", "Serialize", 4, "ioerror")
// instead of exhausting the stack.
#include <cstdint>

class CPDFInStream;

class CPDFParseDepth {
 public:
  explicit CPDFParseDepth(const char* className);
  ~CPDFParseDepth();
  CPDFParseDepth(const CPDFParseDepth&) = delete;
  CPDFParseDepth& operator=(const CPDFParseDepth&) = delete;

  // Throws "invalidtoken: %s" with the next token, or "ioerror" when there
  // is none.
  [[noreturn]] static void ThrowInvalidToken(const char* className, CPDFInStream& in);
};
