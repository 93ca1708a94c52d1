#pragma once
// The texts the installer window shows, in UTF-8. Where a text takes a value,
// "%1" stands for it.
#include <string>
#include <string_view>

namespace installer {

inline constexpr std::string_view kTextTitle = "パッケージのインストール";
inline constexpr std::string_view kTextPackage = "次のパッケージをインストールします:";
inline constexpr std::string_view kTextDetails = "詳細(&D):";
inline constexpr std::string_view kTextClose = "閉じる(&C)";

// The step before the command has said anything.
inline constexpr std::string_view kTextWaitingForPassword = "管理者の認証を待っています...";
inline constexpr std::string_view kTextStarting = "インストールを開始しています...";

// The outcomes.
inline constexpr std::string_view kTextInstalled = "インストールが完了しました。";
inline constexpr std::string_view kTextFailed = "インストールに失敗しました。";
inline constexpr std::string_view kTextCancelled = "インストールは取り消されました。";
inline constexpr std::string_view kTextNotStarted = "インストールを開始できませんでした。";

// Reasons when the command gave none of its own.
inline constexpr std::string_view kTextExitStatus = "終了コード %1 で終了しました。";
inline constexpr std::string_view kTextSignal = "シグナル %1 で終了しました。";

// The text with "%1" replaced by the value.
std::string FormatText(std::string_view text, std::string_view value);

}  // namespace installer
