#pragma once
// The state of a save in progress: the temporary file beside the target
// and the output stream on it.
#include <memory>
#include <string>

#include "pdf/document/CPDFDoc.h"
#include "pdf/object/CPDFOutStream.h"

struct CPDFDoc::SaveState {
  // The file the save replaces (or creates).
  std::string target;
  // Our own temporary file; removed unless it was renamed into place.
  std::string temp;
  std::unique_ptr<CPDFFileOutStream> out;

  ~SaveState();
};
