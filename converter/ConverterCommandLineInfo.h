#pragma once
// The converter's command line: the paths of the items dropped on the
// program (or given to it). Existing folders and existing files with an
// image extension are accepted, in command-line order; a parameter that
// begins with '-' is a switch and is ignored. A '/' begins a path, as every
// absolute path does.
#include <string>
#include <vector>

namespace ostrel {

class ConverterCommandLineInfo {
 public:
  // Handles one parameter (switches are ignored entirely; anything else
  // counts as given and is accepted when it is an existing folder or an
  // existing file whose name ends in .BMP, .JPG, .JPEG, .TIF or .TIFF, in
  // any case).
  void ParseParam(const std::string& param, bool isSwitch, bool isLast);

  // Runs ParseParam over argv[1] .. argv[argc - 1].
  void ParseCommandLine(int argc, const char* const* argv);

  // Whether a parameter is a switch: it begins with '-'.
  static bool IsSwitch(const std::string& param);

  // Whether a name ends with one of the five image extensions (any case).
  static bool HasImageExtension(const std::string& name);

  // The accepted paths, in command-line order.
  const std::vector<std::string>& Paths() const { return paths_; }
  // Whether any parameter that is not a switch was given.
  bool ParametersGiven() const { return parametersGiven_; }

 private:
  std::vector<std::string> paths_;
  bool parametersGiven_ = false;
};

}  // namespace ostrel
