#pragma once
// The dialog shown after a run that ended normally: the report (counts and
// the converted and failed paths) in a read-only box, which can be saved as
// a text file.
#include <memory>
#include <string>

#include <QDialog>
#include <QString>

#include "converter/core/ConverterUi.h"

class QFileDialog;
class QPlainTextEdit;
class QPushButton;

namespace ostrel {

class ResultDialog : public QDialog {
  Q_OBJECT
 public:
  ResultDialog(const ConversionResults& results, QWidget* parent = nullptr);
  ~ResultDialog() override;

  // The report's bytes (lines end in "\r\n").
  const std::string& Report() const { return report_; }

  QPlainTextEdit* ReportEdit() const { return edit_; }
  QPushButton* SaveButton() const { return save_; }
  QPushButton* CloseButton() const { return close_; }

  // The save dialog OnSave runs: default name "result.txt", extension
  // "txt", the text-file filter, asking before it replaces a file; it opens
  // where the last chooser was left, or at home.
  std::unique_ptr<QFileDialog> MakeSaveDialog();

  // Writes the report to a path (".txt" added when the name has no
  // extension); a failure shows the save-failed message. True when saved.
  bool SaveTo(const QString& path);

 public slots:
  // The Save button: asks for a file name and saves the report there.
  void OnSave();

 private:
  std::string report_;
  QPlainTextEdit* edit_ = nullptr;
  QPushButton* save_ = nullptr;
  QPushButton* close_ = nullptr;
};

}  // namespace ostrel
