#pragma once
// What the conversion logic asks of the user interface: message boxes, the
// modeless search and progress dialogs, the message pump and the result
// dialog. The Qt dialogs implement it; tests use a scripted implementation.
//
// All texts are UTF-8 byte strings. Paths are the host's bytes and need not be
// valid UTF-8; an implementation must still show them (replacing bad bytes).
#include <cstdint>
#include <deque>
#include <string>

namespace ostrel {

// Buttons of a message box.
enum class MsgButtons { Ok, YesNo, YesNoCancel };

// Icon of a message box.
enum class MsgIcon { Exclamation, Information, Question, Stop };

// The answer of a message box; closing the box with Esc or its close button
// answers Cancel for YesNoCancel, No for YesNo and Ok for Ok.
enum class MsgAnswer { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

// The outcome lists of one conversion run, in the order of conversion.
struct ConversionResults {
  std::deque<std::string> converted;  // input paths converted
  std::deque<std::string> failed;     // input paths that failed
};

class ConverterUi {
 public:
  virtual ~ConverterUi() = default;

  // Shows a modal message box titled with the application title and
  // returns the button chosen.
  virtual MsgAnswer MessageBox(const std::string& text, MsgButtons buttons, MsgIcon icon) = 0;

  // Processes pending user-interface events and returns when none are left
  // (keeps the modeless dialogs painted and their Cancel buttons working).
  virtual void PumpMessages() = 0;

  // --- Search dialog (modeless, caption "ファイル検索中", a Cancel button) ---
  // Show disables the main window; Hide destroys the dialog and enables the
  // main window again. Hide is called exactly once after each Show, on every
  // way out of a run. Show clears the cancel flag.
  virtual void ShowSearchDialog() = 0;
  virtual void HideSearchDialog() = 0;
  // The folder being searched (shortened with a path ellipsis to fit).
  virtual void SetSearchStateText(const std::string& folder) = 0;
  // Returns whether Cancel (button or Esc) was pressed since the last call,
  // and clears the flag. The dialog stays open.
  virtual bool TakeSearchCancel() = 0;

  // --- Progress dialog (modeless, caption "ファイル変換中", bar, percent
  // label starting as " 0 %", file text, a Cancel button) ---
  // Show/Hide as for the search dialog.
  virtual void ShowProgressDialog() = 0;
  virtual void HideProgressDialog() = 0;
  // The bar's 32-bit range; low is INT32_MIN in a run (the implementation
  // may map it onto its own control's range).
  virtual void SetProgressRange(int32_t low, int32_t high) = 0;
  // The bar's position, within the range.
  virtual void SetProgressPos(int32_t pos) = 0;
  // The percent label's text, for example "33%".
  virtual void SetProgressPercentText(const std::string& text) = 0;
  // The input file being converted (shortened with a path ellipsis to fit).
  virtual void SetProgressFileText(const std::string& path) = 0;
  // As TakeSearchCancel, for the progress dialog.
  virtual bool TakeProgressCancel() = 0;

  // --- Result dialog (modal, caption "結果") ---
  // Shows the report of a run that ended normally; the dialog builds its
  // text with BuildReport (converter/core/Report.h) and saves it with
  // SaveReport. Returns when the user closes it.
  virtual void ShowResultDialog(const ConversionResults& results) = 0;
};

}  // namespace ostrel
