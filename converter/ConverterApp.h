#pragma once
// The converter application: reads the command line, runs the main dialog
// modally and ends when it closes.
#include "converter/ConverterCommandLineInfo.h"
#include "converter/core/ConversionDriver.h"

namespace ostrel {

class MainDialog;

class ConverterApp {
 public:
  // convert: the single-file conversion the main dialog's runs use.
  explicit ConverterApp(ConvertFunction convert);

  // Needs a QApplication. Parses the command line, prepares and runs the
  // main dialog and returns false: the program ends when the dialog closes.
  bool InitInstance(int argc, const char* const* argv);

  // The start-up decision: parameters none of which was accepted show the
  // "nothing to convert" message (the dialog then opens as usual); one
  // accepted path becomes the input text; two or more put the dialog into
  // dropped-items mode.
  static void ApplyCommandLine(const ConverterCommandLineInfo& info, MainDialog& dialog);

  const ConverterCommandLineInfo& CommandLineInfo() const { return commandLine_; }

 private:
  ConvertFunction convert_;
  ConverterCommandLineInfo commandLine_;
};

}  // namespace ostrel
