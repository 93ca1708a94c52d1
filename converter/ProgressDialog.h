#pragma once
// The dialog shown while files are converted: the file in work (shortened
// with an ellipsis), a progress bar, a percent label and a Cancel button.
#include <cstdint>

#include <QString>

#include "converter/ModelessDialog.h"

class QLabel;
class QProgressBar;

namespace ostrel {

class PathLabel;

class ProgressDialog : public ModelessDialog {
  Q_OBJECT
 public:
  // The caption is "ファイル変換中" unless another is given.
  explicit ProgressDialog(const QString& caption = QString());

  // The bar's range; low may be INT32_MIN (the bar maps any 32-bit range).
  void SetRange(int32_t low, int32_t high);
  void SetPos(int32_t pos);
  // The percent label; set only when the text differs.
  void SetPercentText(const QString& text);
  void SetFileText(const QString& path);

  QProgressBar* Bar() const { return bar_; }
  QLabel* PercentLabel() const { return percent_; }
  PathLabel* FileLabel() const { return file_; }

 private:
  QProgressBar* bar_ = nullptr;
  QLabel* percent_ = nullptr;
  PathLabel* file_ = nullptr;
};

}  // namespace ostrel
