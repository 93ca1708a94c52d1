#include "launcher/core/LauncherStrings.h"

namespace launcher {

std::string_view LoadLauncherString(int id) {
  switch (id) {
    case kIdsAboutBox: return "バージョン情報(&A)...";
    case kIdsInstallInfoFailed:
      return "インストール情報ファイルの読み込みに失敗しました。\n強制終了します。";
    case kIdsStartFailed: return "インストールの開始に失敗しました。";
    default: return {};
  }
}

}  // namespace launcher
