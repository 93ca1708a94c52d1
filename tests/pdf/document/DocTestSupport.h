#pragma once
// Helpers of the document tests: whole-file reading, the xref table of a
// written file, and an independent check of the file.
#include <cstdlib>
#include <string>
#include <vector>

#include "ImageTestSupport.h"

inline std::string ReadText(const std::string& path) {
  std::vector<uint8_t> bytes = TempFolder::Read(path);
  return std::string(bytes.begin(), bytes.end());
}

inline std::string Folder(const TempFolder& folder) {
  std::string path = folder.File("");
  path.pop_back();
  return path;
}

// The names in the folder that start with "pn".
inline int CountTempFiles(const std::string& folder) {
  int count = 0;
  if (DIR* dir = opendir(folder.c_str())) {
    while (dirent* entry = readdir(dir)) {
      if (std::string(entry->d_name).rfind("pn", 0) == 0) ++count;
    }
    closedir(dir);
  }
  return count;
}

// What the command prints on both outputs; *status gets its exit status.
inline std::string ToolOutput(const std::string& command, int* status = nullptr) {
  std::string text;
  int code = -1;
  if (FILE* pipe = popen((command + " 2>&1").c_str(), "r")) {
    char block[512];
    size_t n;
    while ((n = fread(block, 1, sizeof block, pipe)) > 0) text.append(block, n);
    code = pclose(pipe);
  }
  if (status) *status = code;
  return text;
}

// True when the command runs and exits with 0 (a tool check: "mutool -v").
inline bool ToolInstalled(const std::string& command) {
  return system((command + " > /dev/null 2>&1").c_str()) == 0;
}

// Runs qpdf --check; true when it reports no error or warning.
inline bool QpdfAccepts(const std::string& path, std::string* report = nullptr) {
  int status = -1;
  const std::string text = ToolOutput("qpdf --check '" + path + "'", &status);
  if (report) *report = text;
  return status == 0 && text.find("WARNING") == std::string::npos &&
         text.find("No syntax or stream encoding errors found") != std::string::npos;
}
