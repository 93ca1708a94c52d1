#include "converter/core/StringTable.h"

namespace ostrel {

namespace {

struct Entry {
  int32_t id;
  const char* text;
};

const Entry kTable[] = {
    {kMsgAbnormalEnd, "異常終了。"},
    {kMsgCancelled, "変換を中断しました。"},
    {kMsgCreateFolder, "フォルダ %1 を作成します。\nよろしいですか？"},
    {kMsgOverwrite, "ファイル %1 を上書きします。\nよろしいですか？"},
    {kMsgStopConversion, "変換作業を中止しますか？"},
    {kMsgNoDroppedImage, "ドロップされた中に画像ファイルやフォルダが存在しません。"},
    {kMsgPathEmpty, "%1のファイルまたはフォルダが、入力されていないか不正な文字が使われています。"},
    {kMsgInputMissing, "入力に指定されたファイルまたはフォルダが存在しません。"},
    {kMsgFolderToFile, "入力にフォルダを指定して、出力でファイルを選ぶことはできません。"},
    {kMsgNoFileType, "入力にフォルダが指定されているのに、対象が選択されていません。"},
    {kMsgOutOfMemory, "メモリが足りません。"},
    {kMsgFatalError, "致命的なエラーが発生しました。"},
    {kMsgNothingFound, "変換すべき画像ファイルが見つかりませんでした。"},
    {kMsgReportSaveFailed, "変換結果のファイルへの保存に失敗しました。"},
};

}  // namespace

std::string LoadString(int32_t id) {
  for (const Entry& e : kTable) {
    if (e.id == id) return e.text;
  }
  return {};
}

std::string FormatString1(std::string_view text, std::string_view arg) {
  std::string out;
  out.reserve(text.size() + arg.size());
  size_t i = 0;
  while (i < text.size()) {
    size_t at = text.find("%1", i);
    if (at == std::string_view::npos) {
      out.append(text.substr(i));
      break;
    }
    out.append(text.substr(i, at - i));
    out.append(arg);
    i = at + 2;
  }
  return out;
}

std::string LoadMessage1(int32_t id, std::string_view arg) {
  return FormatString1(LoadString(id), arg);
}

}  // namespace ostrel
