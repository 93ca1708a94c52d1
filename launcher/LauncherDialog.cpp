#include "launcher/LauncherDialog.h"

#include "launcher/ButtonSize.h"
#include "launcher/LauncherAboutDialog.h"
#include "launcher/LauncherIcon.h"
#include "launcher/LauncherMessage.h"
#include "launcher/core/InstallInfo.h"
#include "launcher/core/LauncherStrings.h"
#include "launcher/core/ProgramLocation.h"
#include "platform/qt/DialogUnits.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <algorithm>
#include <optional>
#include <utility>

namespace launcher {

namespace {

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

LauncherDialog::LauncherDialog(QWidget* parent) : QDialog(parent, platform::FixedDialogFlags()) {
  hIcon_ = LauncherIcon(this);
  setWindowTitle(QStringLiteral("Tarnwick インストーラ"));
  const platform::DialogUnits du(font());
  setFixedSize(du.Size(247, 211));

  captionLabel_ = new QLabel(this);
  captionLabel_->setObjectName(QStringLiteral("caption"));
  captionLabel_->setTextFormat(Qt::PlainText);
  captionLabel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  captionLabel_->setText(QStringLiteral("(AppName)"));
  captionLabel_->setGeometry(du.Rect(7, 7, 198, 8));

  descriptionEdit_ = new QPlainTextEdit(this);
  descriptionEdit_->setObjectName(QStringLiteral("description"));
  descriptionEdit_->setReadOnly(true);
  descriptionEdit_->setTextInteractionFlags(Qt::TextSelectableByMouse |
                                            Qt::TextSelectableByKeyboard);
  descriptionEdit_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  descriptionEdit_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  descriptionEdit_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  descriptionEdit_->setTabChangesFocus(true);
  descriptionEdit_->setFocusPolicy(Qt::StrongFocus);
  descriptionEdit_->setGeometry(du.Rect(7, 23, 233, 163));

  startButton_ = new QPushButton(QStringLiteral("開始(&S)"), this);
  startButton_->setObjectName(QStringLiteral("start"));
  startButton_->setDefault(true);
  connect(startButton_, &QPushButton::clicked, this, &QDialog::accept);

  cancelButton_ = new QPushButton(QStringLiteral("キャンセル(&C)"), this);
  cancelButton_->setObjectName(QStringLiteral("cancel"));
  connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);

  // The two buttons at the template's places (Start at 137, Cancel at 190, 50
  // wide, the right edge at 240), grown leftwards where their texts need more
  // in the desktop's font.
  const QSize cancelSize = ButtonSize(cancelButton_, du.Size(50, 14));
  const QSize startSize = ButtonSize(startButton_, du.Size(50, 14));
  const int cancelLeft = std::min(du.X(190), du.X(240) - cancelSize.width());
  cancelButton_->setGeometry(QRect(QPoint(cancelLeft, du.Y(190)), cancelSize));
  const int startLeft = std::min(du.X(137), cancelLeft - du.X(3) - startSize.width());
  startButton_->setGeometry(QRect(QPoint(startLeft, du.Y(190)), startSize));

  // The window menu of the desktop cannot be extended here, so the About item
  // lives in the dialog's own context menu.
  const std::string_view aboutText = LoadLauncherString(kIdsAboutBox);
  if (!aboutText.empty()) {
    aboutAction_ = new QAction(FromUtf8(aboutText), this);
    aboutAction_->setObjectName(QStringLiteral("about"));
    connect(aboutAction_, &QAction::triggered, this, [this] { OnSysCommand(kCommandAbout); });
  }
}

void LauncherDialog::SetProgramFolder(std::string folder) {
  programFolder_ = std::move(folder);
  programFolderSet_ = true;
}

int LauncherDialog::DoModal() {
  if (!OnInitDialog()) return kResultInitFailed;
  return exec() == QDialog::Accepted ? kResultStart : kResultCancel;
}

bool LauncherDialog::OnInitDialog() {
  DoDataExchange(false);
  setWindowIcon(hIcon_);
  if (!ReadInstallInfo()) {
    ShowStopMessage(nullptr, kIdsInstallInfoFailed);
    return false;
  }
  DoDataExchange(false);
  descriptionEdit_->setFocus(Qt::OtherFocusReason);
  return true;
}

bool LauncherDialog::ReadInstallInfo() {
  std::optional<std::string> folder;
  if (programFolderSet_)
    folder = programFolder_;
  else
    folder = ProgramFolder();
  if (!folder) return false;
  std::optional<InstallInfo> info = ReadInstallInfoFile(*folder);
  if (!info) return false;
  strCaption_ = FromUtf8(info->caption);
  strPackagePath_ = std::move(info->packagePath);
  strDescription_ = FromUtf8(info->description);
  return !strDescription_.isEmpty();
}

void LauncherDialog::DoDataExchange(bool saveAndValidate) {
  // The description keeps CR LF line ends; the text control uses LF.
  if (saveAndValidate) {
    strCaption_ = captionLabel_->text();
    QString text = descriptionEdit_->toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    strDescription_ = text;
  } else {
    captionLabel_->setText(strCaption_);
    QString text = strDescription_;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    descriptionEdit_->setPlainText(text);
  }
}

void LauncherDialog::accept() {
  DoDataExchange(true);
  QDialog::accept();
}

void LauncherDialog::OnSysCommand(int id) {
  if ((id & ~0xF) == kCommandAbout) {
    LauncherAboutDialog about(this);
    about.exec();
  }
}

void LauncherDialog::contextMenuEvent(QContextMenuEvent* event) {
  if (aboutAction_ == nullptr) {
    event->ignore();
    return;
  }
  QMenu menu(this);
  menu.addAction(aboutAction_);
  menu.exec(event->globalPos());
}

}  // namespace launcher
