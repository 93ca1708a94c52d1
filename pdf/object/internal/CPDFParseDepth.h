#pragma once
// Nesting guard of the object parser: arrays and dictionaries deeper than
// CPDFObject::kMaxNesting fail with ("<class>", "Serialize", 4, "ioerror")
// instead of exhausting the stack.
#include <cstdint>

#include "pdf/object/CPDFDepthGuard.h"

class CPDFInStream;

class CPDFParseDepth {
 public:
  // Throws ("<className>", "Serialize", 4, "ioerror") when this level is
  // too deep.
  explicit CPDFParseDepth(const char* className);
  CPDFParseDepth(const CPDFParseDepth&) = delete;
  CPDFParseDepth& operator=(const CPDFParseDepth&) = delete;

  // Throws "invalidtoken: %s" with the next token, or "ioerror" when there
  // is none.
  [[noreturn]] static void ThrowInvalidToken(const char* className, CPDFInStream& in);

 private:
  CPDFDepthGuard depth_;
};
