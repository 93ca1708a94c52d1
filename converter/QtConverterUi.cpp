#include "converter/QtConverterUi.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>

#include "converter/DialogStyle.h"
#include "converter/ProgressDialog.h"
#include "converter/ResultDialog.h"
#include "converter/SearchDialog.h"
#include "platform/qt/DialogUnits.h"

namespace ostrel {

QtConverterUi::QtConverterUi(QWidget* owner) : owner_(owner) {}

QtConverterUi::~QtConverterUi() = default;

QString QtConverterUi::Display(const std::string& bytes) {
  return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::unique_ptr<QMessageBox> QtConverterUi::MakeMessageBox(QWidget* parent, const std::string& text,
                                                           MsgButtons buttons, MsgIcon icon) {
  QMessageBox::Icon boxIcon = QMessageBox::Warning;
  switch (icon) {
    case MsgIcon::Exclamation: boxIcon = QMessageBox::Warning; break;
    case MsgIcon::Information: boxIcon = QMessageBox::Information; break;
    case MsgIcon::Question: boxIcon = QMessageBox::Question; break;
    case MsgIcon::Stop: boxIcon = QMessageBox::Critical; break;
  }
  auto box = std::make_unique<QMessageBox>(parent);
  box->setWindowFlags(platform::FixedDialogFlags());
  box->setIcon(boxIcon);
  box->setWindowTitle(AppTitle());
  box->setWindowIcon(AppIcon());
  box->setFont(DialogFont());
  // Paths can hold anything; never read them as markup.
  box->setTextFormat(Qt::PlainText);
  box->setText(Display(text));
  switch (buttons) {
    case MsgButtons::Ok: {
      QPushButton* ok = box->addButton(QMessageBox::Ok);
      ok->setText(QStringLiteral("OK"));
      box->setDefaultButton(ok);
      box->setEscapeButton(ok);
      break;
    }
    case MsgButtons::YesNo: {
      QPushButton* yes = box->addButton(QMessageBox::Yes);
      QPushButton* no = box->addButton(QMessageBox::No);
      yes->setText(QStringLiteral("はい(&Y)"));
      no->setText(QStringLiteral("いいえ(&N)"));
      box->setDefaultButton(yes);
      box->setEscapeButton(no);
      break;
    }
    case MsgButtons::YesNoCancel: {
      QPushButton* yes = box->addButton(QMessageBox::Yes);
      QPushButton* no = box->addButton(QMessageBox::No);
      QPushButton* cancel = box->addButton(QMessageBox::Cancel);
      yes->setText(QStringLiteral("はい(&Y)"));
      no->setText(QStringLiteral("いいえ(&N)"));
      cancel->setText(QStringLiteral("キャンセル"));
      box->setDefaultButton(yes);
      box->setEscapeButton(cancel);
      break;
    }
  }
  KeepTitleWhole(box.get());
  return box;
}

void QtConverterUi::KeepTitleWhole(QMessageBox* box) {
  // A window manager puts the title beside the window icon and up to three
  // buttons (minimise, maximise, close) in a bold face; a box only as wide as
  // a short message shows the title cut ("V..."). A row of no height at the
  // bottom of the box's grid keeps it wide enough for all of them.
  auto* grid = qobject_cast<QGridLayout*>(box->layout());
  if (grid == nullptr) return;
  QFont titleFont = box->font();
  titleFont.setBold(true);
  const QFontMetrics metrics(titleFont);
  const int button = metrics.height() + 8;  // a square title-bar button with its gap
  const int width =
      metrics.horizontalAdvance(box->windowTitle()) + 4 * button + 4 * metrics.height();
  grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), 0, 0, 1,
                grid->columnCount());
}

MsgAnswer QtConverterUi::ShowMessage(QWidget* parent, const std::string& text, MsgButtons buttons,
                                     MsgIcon icon) {
  const auto box = MakeMessageBox(parent, text, buttons, icon);
  box->exec();
  QAbstractButton* clicked = box->clickedButton();
  const QMessageBox::StandardButton answer =
      clicked != nullptr ? box->standardButton(clicked) : QMessageBox::NoButton;
  switch (answer) {
    case QMessageBox::Yes: return MsgAnswer::Yes;
    case QMessageBox::No: return MsgAnswer::No;
    case QMessageBox::Cancel: return MsgAnswer::Cancel;
    case QMessageBox::Ok: return MsgAnswer::Ok;
    default: break;
  }
  // Closed without a button: the answer of Esc.
  switch (buttons) {
    case MsgButtons::Ok: return MsgAnswer::Ok;
    case MsgButtons::YesNo: return MsgAnswer::No;
    case MsgButtons::YesNoCancel: return MsgAnswer::Cancel;
  }
  return MsgAnswer::Cancel;
}

QWidget* QtConverterUi::MessageParent() const {
  if (progress_) return progress_.get();
  if (search_) return search_.get();
  return owner_;
}

MsgAnswer QtConverterUi::MessageBox(const std::string& text, MsgButtons buttons, MsgIcon icon) {
  return ShowMessage(MessageParent(), text, buttons, icon);
}

void QtConverterUi::PumpMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void QtConverterUi::ShowSearchDialog() {
  search_.reset();
  search_ = std::make_unique<SearchDialog>();
  search_->Create(owner_);
}

void QtConverterUi::HideSearchDialog() { search_.reset(); }

void QtConverterUi::SetSearchStateText(const std::string& folder) {
  if (search_) search_->SetStateText(Display(folder));
}

bool QtConverterUi::TakeSearchCancel() { return search_ ? search_->TakeCancel() : false; }

void QtConverterUi::ShowProgressDialog() {
  progress_.reset();
  progress_ = std::make_unique<ProgressDialog>();
  progress_->Create(owner_);
}

void QtConverterUi::HideProgressDialog() { progress_.reset(); }

void QtConverterUi::SetProgressRange(int32_t low, int32_t high) {
  if (progress_) progress_->SetRange(low, high);
}

void QtConverterUi::SetProgressPos(int32_t pos) {
  if (progress_) progress_->SetPos(pos);
}

void QtConverterUi::SetProgressPercentText(const std::string& text) {
  if (progress_) progress_->SetPercentText(Display(text));
}

void QtConverterUi::SetProgressFileText(const std::string& path) {
  if (progress_) progress_->SetFileText(Display(path));
}

bool QtConverterUi::TakeProgressCancel() { return progress_ ? progress_->TakeCancel() : false; }

void QtConverterUi::ShowResultDialog(const ConversionResults& results) {
  ResultDialog dialog(results, owner_);
  dialog.exec();
}

}  // namespace ostrel
