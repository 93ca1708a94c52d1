#pragma once
// The state of a save in progress: the replacement file in the target's
// folder and the output stream on it.
#include <memory>
#include <string>

#include "pdf/composite/CPDFDoc.h"
#include "pdf/object/CPDFOutStream.h"
#include "platform/TempFile.h"

struct CPDFDoc::SaveState {
  // The file the save replaces (or creates), as the caller named it.
  std::string target;
  // The new file; dropped unless the commit put it in place.
  platform::ReplacementFile file;
  std::unique_ptr<CPDFFileOutStream> out;

  ~SaveState();

  // Throws code 1 for a failure to write the file: the message names the
  // output file by the target's path and gives the reason (the text of the
  // error number, or the text given).
  [[noreturn]] void ThrowWriteError(const char* method, int error) const;
  [[noreturn]] void ThrowWriteError(const char* method, const char* reason) const;
};
