#pragma once
// The result report: its text and writing it to a file.
#include <string>

#include "converter/core/ConverterUi.h"

namespace ostrel {

// The report of a run: the counts of found, converted and failed files, then
// the converted and the failed paths, each section only when it has paths.
// Lines end in "\r\n".
std::string BuildReport(const ConversionResults& results);

// The path with "." + extension appended when its last component has no
// extension ("report" gives "report.txt").
std::string AddDefaultExtension(const std::string& path, const std::string& extension);

// Writes the text's bytes unchanged to the file at path, replacing an existing
// file. False when the file cannot be created, written or closed; the caller
// then shows LoadString(kMsgReportSaveFailed).
bool SaveReport(const std::string& path, const std::string& text);

}  // namespace ostrel
