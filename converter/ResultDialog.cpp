#include "converter/ResultDialog.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "converter/ChooserFolder.h"
#include "converter/DialogStyle.h"
#include "converter/FileFilter.h"
#include "converter/QtConverterUi.h"
#include "converter/core/Report.h"
#include "converter/core/StringTable.h"
#include "platform/qt/DialogUnits.h"

namespace ostrel {

ResultDialog::ResultDialog(const ConversionResults& results, QWidget* parent)
    : QDialog(parent), report_(BuildReport(results)) {
  setWindowTitle(QStringLiteral("結果"));
  setFont(DialogFont());

  auto* label = new QLabel(QStringLiteral("変換が正常に終了しました。"), this);
  edit_ = new QPlainTextEdit(this);
  edit_->setObjectName(QStringLiteral("1013"));
  edit_->setReadOnly(true);
  // Read by keyboard as well: the caret shows where the text has the focus,
  // and the arrow keys, Ctrl+Home and Ctrl+End move in it and select.
  edit_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  edit_->setLineWrapMode(QPlainTextEdit::NoWrap);
  edit_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  edit_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  QString shown = QtConverterUi::Display(report_);
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  edit_->setPlainText(shown);

  save_ = new QPushButton(QStringLiteral("保存(&S)..."), this);
  save_->setObjectName(QStringLiteral("1014"));
  close_ = new QPushButton(QStringLiteral("閉じる(&C)"), this);
  close_->setObjectName(QStringLiteral("1"));
  close_->setDefault(true);
  connect(save_, &QPushButton::clicked, this, &ResultDialog::OnSave);
  connect(close_, &QPushButton::clicked, this, &QDialog::accept);

  // Margins of 7 dialog units; the report takes the height the other rows
  // do not need.
  const platform::DialogUnits du(font());
  save_->setMinimumWidth(du.X(50));
  close_->setMinimumWidth(du.X(50));
  auto* buttons = new QHBoxLayout;
  buttons->setSpacing(du.X(4));
  buttons->addStretch();
  buttons->addWidget(save_);
  buttons->addWidget(close_);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(du.X(7), du.Y(7), du.X(7), du.Y(7));
  layout->setSpacing(du.Y(4));
  layout->addWidget(label);
  layout->addWidget(edit_, 1);
  layout->addLayout(buttons);

  platform::MakeFixedDialog(this, 293, 249);
  close_->setFocus();
}

ResultDialog::~ResultDialog() = default;

std::unique_ptr<QFileDialog> ResultDialog::MakeSaveDialog() {
  auto dialog = std::make_unique<QFileDialog>(this, QStringLiteral("名前を付けて保存"));
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  dialog->setAcceptMode(QFileDialog::AcceptSave);
  dialog->setFileMode(QFileDialog::AnyFile);
  dialog->setNameFilters(NameFilters(ReportFileFilter()));
  dialog->setDefaultSuffix(QStringLiteral("txt"));
  dialog->setDirectory(ChooserFolder::Start());
  dialog->selectFile(QStringLiteral("result.txt"));
  return dialog;
}

bool ResultDialog::SaveTo(const QString& path) {
  const std::string bytes = AddDefaultExtension(QFile::encodeName(path).toStdString(), "txt");
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const bool saved = SaveReport(bytes, report_);
  QApplication::restoreOverrideCursor();
  if (!saved)
    QtConverterUi::ShowMessage(this, LoadString(kMsgReportSaveFailed), MsgButtons::Ok,
                               MsgIcon::Exclamation);
  return saved;
}

void ResultDialog::OnSave() {
  const auto dialog = MakeSaveDialog();
  if (dialog->exec() != QDialog::Accepted) return;
  const QStringList files = dialog->selectedFiles();
  if (files.isEmpty()) return;
  // The next save, and the next chooser, open where this one saved.
  ChooserFolder::Remember(QFileInfo(files.first()).absolutePath());
  SaveTo(files.first());
}

}  // namespace ostrel
