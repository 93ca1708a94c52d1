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
// While another program holds the package system.
inline constexpr std::string_view kTextWaitingForLock =
    "別のプログラムのインストールが終わるのを待っています...";

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
// The package's architecture, then the computer's.
inline constexpr std::string_view kTextWrongArchitecture =
    "このパッケージは %1 用のため、このコンピュータ (%2) にはインストールできません。";
// Each with what to do after it.
inline constexpr std::string_view kTextPackageSystemBusy =
    "別のプログラムがソフトウェアをインストールしていて、待っている間に終わりませんでした。";
inline constexpr std::string_view kTextTryAfterOther =
    "そのプログラムが終わってから、もう一度インストールしてください。";
inline constexpr std::string_view kTextNoSpace =
    "パッケージを展開する場所のディスクに空き領域がありません。";
inline constexpr std::string_view kTextFreeSpace =
    "不要なファイルを削除して空き領域を作ってから、もう一度インストールしてください。";
inline constexpr std::string_view kTextPromptClosed =
    "パスワードの入力画面が閉じられたため、何もインストールしていません。";
inline constexpr std::string_view kTextWrongPassword = "パスワードが受け付けられませんでした。";
inline constexpr std::string_view kTextOwnPassword =
    "このコンピュータを管理できるユーザー (通常はご自分) のパスワードを入力してください。";
// Where no password prompt can be shown, what is missing, then what to do.
inline constexpr std::string_view kTextNoAgent =
    "管理者のパスワードを尋ねられる認証エージェント (polkit) がありません。";
inline constexpr std::string_view kTextNoAuthority = "管理者の認証を行う polkit が動いていません。";
inline constexpr std::string_view kTextNoPkexec =
    "管理者の認証を行う pkexec がインストールされていません。";
inline constexpr std::string_view kTextUseSudo =
    "認証エージェントの動くデスクトップで開くか、端末から sudo で root として実行してください。";

// The text with "%1" replaced by the value, and "%2" by the second.
std::string FormatText(std::string_view text, std::string_view value, std::string_view second = {});

}  // namespace installer
