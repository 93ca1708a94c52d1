#include "converter/ConverterCommandLineInfo.h"

#include <array>
#include <string_view>

#include "converter/core/PathOps.h"

namespace ostrel {

bool ConverterCommandLineInfo::IsSwitch(const std::string& param) {
  return !param.empty() && param.front() == '-';
}

bool ConverterCommandLineInfo::HasImageExtension(const std::string& name) {
  // The command line takes every image type, whatever the type options say.
  static constexpr std::array<std::string_view, 5> kExtensions = {".BMP", ".JPG", ".JPEG", ".TIF",
                                                                  ".TIFF"};
  for (std::string_view extension : kExtensions) {
    if (EndsWithNoCase(name, extension)) return true;
  }
  return false;
}

void ConverterCommandLineInfo::ParseParam(const std::string& param, bool isSwitch,
                                          bool /*isLast*/) {
  if (isSwitch) return;
  parametersGiven_ = true;
  const int32_t pathClass = ClassifyPath(param, false);
  if (pathClass == kPathExistingFolder ||
      (pathClass == kPathExistingFile && HasImageExtension(param)))
    paths_.push_back(param);
}

void ConverterCommandLineInfo::ParseCommandLine(int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    if (argv[i] == nullptr) continue;
    const std::string param(argv[i]);
    ParseParam(param, IsSwitch(param), i == argc - 1);
  }
}

}  // namespace ostrel
