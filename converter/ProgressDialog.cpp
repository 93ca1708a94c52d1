#include "converter/ProgressDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpacerItem>
#include <QVBoxLayout>

#include "converter/DialogStyle.h"
#include "converter/PathLabel.h"
#include "platform/qt/DialogUnits.h"

namespace ostrel {

ProgressDialog::ProgressDialog(const QString& caption)
    : ModelessDialog(caption.isEmpty() ? QStringLiteral("ファイル変換中") : caption) {
  file_ = new PathLabel(this);
  file_->setObjectName(QStringLiteral("1005"));
  bar_ = new QProgressBar(this);
  bar_->setObjectName(QStringLiteral("1003"));
  bar_->setTextVisible(false);
  bar_->setRange(0, 100);
  bar_->setValue(0);
  percent_ = new QLabel(QStringLiteral(" 0 %"), this);
  percent_->setObjectName(QStringLiteral("1004"));
  percent_->setAlignment(Qt::AlignCenter);

  // Margins of 7 dialog units; the height the rows do not need is shared
  // out between them.
  const platform::DialogUnits du(font());
  QVBoxLayout* layout = MakeColumn(du);
  const auto gap = [&] {
    layout->addSpacerItem(
        new QSpacerItem(0, du.Y(3), QSizePolicy::Minimum, QSizePolicy::Expanding));
  };
  layout->addWidget(file_);
  gap();
  layout->addWidget(bar_);
  gap();
  layout->addWidget(percent_);
  gap();
  AddCancelRow(layout);

  cancelButton_->setMinimumWidth(du.X(50));
  platform::MakeFixedDialog(this, 253, 75);
}

void ProgressDialog::SetRange(int32_t low, int32_t high) {
  bar_->setRange(low, high < low ? low : high);
  bar_->setValue(low);
}

void ProgressDialog::SetPos(int32_t pos) { bar_->setValue(pos); }

void ProgressDialog::SetPercentText(const QString& text) {
  if (percent_->text() != text) percent_->setText(text);
}

void ProgressDialog::SetFileText(const QString& path) { file_->SetText(path); }

}  // namespace ostrel
