#pragma once
// The texts the installer window shows, in UTF-8. Where a text takes values,
// "%1" and "%2" stand for them.
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
inline constexpr std::string_view kTextAlreadyInstalled =
    "%1 (バージョン %2) はすでにインストールされています。";

// Reasons when the command gave none of its own.
inline constexpr std::string_view kTextExitStatus = "終了コード %1 で終了しました。";
inline constexpr std::string_view kTextSignal = "シグナル %1 で終了しました。";

// Reasons the window finds in what the command wrote, or before it starts.
inline constexpr std::string_view kTextMissingDependency =
    "必要なパッケージ %1 をインストールできません。";
inline constexpr std::string_view kTextPackageMissing = "パッケージファイル %1 が見つかりません。";
inline constexpr std::string_view kTextPackageUnreadable =
    "パッケージファイル %1 を読み込めません。";
inline constexpr std::string_view kTextNotAPackage =
    "%1 は Debian パッケージのファイルではありません。";
inline constexpr std::string_view kTextPackageDamaged =
    "パッケージファイル %1 が壊れています。もう一度コピーしてください。";
// Where no password prompt can be shown, what is missing, then what to do.
inline constexpr std::string_view kTextNoAgent =
    "管理者のパスワードを尋ねられる認証エージェント (polkit) がありません。";
inline constexpr std::string_view kTextNotAuthorized =
    "管理者として実行することが認められませんでした。";
inline constexpr std::string_view kTextNoAuthority = "管理者の認証を行う polkit が動いていません。";
inline constexpr std::string_view kTextNoPkexec =
    "管理者の認証を行う pkexec がインストールされていません。";
inline constexpr std::string_view kTextUseSudo =
    "認証エージェントの動くデスクトップで開くか、端末から sudo で root として実行してください。";

// The text with "%1" replaced by the value, and "%2" by the second.
std::string FormatText(std::string_view text, std::string_view value, std::string_view second = {});

}  // namespace installer
