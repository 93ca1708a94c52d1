#pragma once
// Short helpers of the interactive-feature tests that build documents from
// PDF text and check them with outside tools.
#include <gtest/gtest.h>

#include <string>

#include "pdf/object/CPDFObjRef.h"
#include "pdf/object/CPDFObjRegistry.h"
#include "tests/pdf/document/DocTestSupport.h"
#include "tests/pdf/document/PeriphTestSupport.h"

inline std::string Output(const std::string& command) { return ToolOutput(command); }
inline bool Installed(const char* command) { return ToolInstalled(command); }
inline std::string Ref(const CPDFObjRef& ref) { return periph::RefText(ref); }
inline std::string Stream(const std::string& dict, const std::string& data) {
  return periph::StreamText(dict, data);
}

// Parses the text as a file reader would and registers it.
inline CPDFObjRef Put(CPDFObjRegistry& doc, const std::string& text) {
  const CPDFObjRef ref = periph::Put(doc, text);
  EXPECT_TRUE(ref.IsDefined()) << text;
  return ref;
}
