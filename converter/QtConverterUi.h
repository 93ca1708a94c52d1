#pragma once
// The converter's user interface for the conversion logic, on Qt widgets:
// message boxes, the search and progress dialogs, the message pump and the
// result dialog.
#include <memory>
#include <string>

#include <QString>

#include "converter/core/ConverterUi.h"

class QWidget;
class QMessageBox;

namespace ostrel {

class ProgressDialog;
class SearchDialog;

class QtConverterUi : public ConverterUi {
 public:
  // owner: the main dialog, disabled while the search or progress dialog is
  // shown, and the parent of message boxes and of the result dialog.
  explicit QtConverterUi(QWidget* owner);
  ~QtConverterUi() override;

  QtConverterUi(const QtConverterUi&) = delete;
  QtConverterUi& operator=(const QtConverterUi&) = delete;

  MsgAnswer MessageBox(const std::string& text, MsgButtons buttons, MsgIcon icon) override;
  void PumpMessages() override;

  void ShowSearchDialog() override;
  void HideSearchDialog() override;
  void SetSearchStateText(const std::string& folder) override;
  bool TakeSearchCancel() override;

  void ShowProgressDialog() override;
  void HideProgressDialog() override;
  void SetProgressRange(int32_t low, int32_t high) override;
  void SetProgressPos(int32_t pos) override;
  void SetProgressPercentText(const std::string& text) override;
  void SetProgressFileText(const std::string& path) override;
  bool TakeProgressCancel() override;

  void ShowResultDialog(const ConversionResults& results) override;

  // The dialogs while they are shown, else null.
  SearchDialog* Search() const { return search_.get(); }
  ProgressDialog* Progress() const { return progress_.get(); }

  // A modal message box titled with the application title; the text is
  // shown as plain text. Esc answers No for Yes/No, Cancel for
  // Yes/No/Cancel. parent may be null.
  static MsgAnswer ShowMessage(QWidget* parent, const std::string& text, MsgButtons buttons,
                               MsgIcon icon);

  // Builds (without showing) the message box ShowMessage runs.
  static std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* parent, const std::string& text,
                                                     MsgButtons buttons, MsgIcon icon);

  // Makes a message box wide enough for its title to be shown whole in a
  // window manager's title bar.
  static void KeepTitleWhole(QMessageBox* box);

  // Text to show for a byte string: UTF-8, bad bytes replaced.
  static QString Display(const std::string& bytes);

 private:
  // The window a message box belongs to: the dialog of the run when one
  // is shown (the owner is disabled then), else the owner.
  QWidget* MessageParent() const;

  QWidget* owner_;
  std::unique_ptr<SearchDialog> search_;
  std::unique_ptr<ProgressDialog> progress_;
};

}  // namespace ostrel
