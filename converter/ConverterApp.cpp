#include "converter/ConverterApp.h"

#include "converter/MainDialog.h"
#include "converter/QtConverterUi.h"
#include "converter/core/StringTable.h"

namespace ostrel {

ConverterApp::ConverterApp(ConvertFunction convert) : convert_(std::move(convert)) {}

void ConverterApp::ApplyCommandLine(const ConverterCommandLineInfo& info, MainDialog& dialog) {
  if (!info.ParametersGiven()) return;
  const std::vector<std::string>& paths = info.Paths();
  if (paths.empty()) {
    QtConverterUi::ShowMessage(nullptr, LoadString(kMsgNoDroppedImage), MsgButtons::Ok,
                               MsgIcon::Exclamation);
  } else if (paths.size() == 1) {
    dialog.SetInputBytes(paths.front());
  } else {
    dialog.SetDroppedItems(paths);
  }
}

bool ConverterApp::InitInstance(int argc, const char* const* argv) {
  MainDialog dialog(convert_);
  commandLine_.ParseCommandLine(argc, argv);
  ApplyCommandLine(commandLine_, dialog);
  dialog.exec();
  return false;
}

}  // namespace ostrel
