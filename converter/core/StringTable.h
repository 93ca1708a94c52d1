#pragma once
// The converter's message texts (UTF-8) and the "%1" replacement.
#include <cstdint>
#include <string>
#include <string_view>

namespace ostrel {

// Message ids of the string table.
constexpr int32_t kMsgAbnormalEnd = 15001;  // "異常終了。"
constexpr int32_t kMsgCancelled = 15002;    // "変換を中断しました。"
constexpr int32_t kMsgCreateFolder = 15003;  // "フォルダ %1 を作成します。\nよろしいですか？"
constexpr int32_t kMsgOverwrite = 15004;  // "ファイル %1 を上書きします。\nよろしいですか？"
constexpr int32_t kMsgStopConversion = 15005;  // "変換作業を中止しますか？"
constexpr int32_t kMsgNoDroppedImage = 15006;  // no accepted command-line path
constexpr int32_t kMsgPathEmpty = 20000;       // "%1のファイルまたはフォルダが…"
constexpr int32_t kMsgInputMissing = 20001;
constexpr int32_t kMsgFolderToFile = 20002;
constexpr int32_t kMsgNoFileType = 20003;
constexpr int32_t kMsgOutOfMemory = 20004;
constexpr int32_t kMsgFatalError = 20005;
constexpr int32_t kMsgNothingFound = 20006;
constexpr int32_t kMsgReportSaveFailed = 20007;

// The words that fill "%1" of kMsgPathEmpty.
inline constexpr const char* kWordInput = "入力";
inline constexpr const char* kWordOutput = "出力";

// The text of a message id; empty for an id the table does not hold.
std::string LoadString(int32_t id);

// The text with every "%1" replaced by the argument (the argument itself is
// not searched again).
std::string FormatString1(std::string_view text, std::string_view arg);

// LoadString(id) with "%1" replaced by the argument.
std::string LoadMessage1(int32_t id, std::string_view arg);

}  // namespace ostrel
