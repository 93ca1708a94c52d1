#include "launcher/LauncherAboutDialog.h"

#include "launcher/ButtonSize.h"
#include "launcher/LauncherIcon.h"
#include "platform/qt/DialogUnits.h"

#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace launcher {

LauncherAboutDialog::LauncherAboutDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("バージョン情報"));
  const platform::DialogUnits du(font());
  platform::MakeFixedDialog(this, 175, 61);

  auto* icon = new QLabel(this);
  icon->setObjectName(QStringLiteral("icon"));
  const int iconSize = style()->pixelMetric(QStyle::PM_LargeIconSize, nullptr, this);
  icon->setPixmap(LauncherIcon(this).pixmap(iconSize, iconSize));
  icon->setGeometry(du.X(7), du.Y(7), iconSize, iconSize);

  // Shown as it stands: no mnemonic, no markup.
  auto* name = new QLabel(this);
  name->setObjectName(QStringLiteral("version"));
  name->setTextFormat(Qt::PlainText);
  name->setText(QStringLiteral("Tarnwick インストーラ Version 1.00"));
  name->setGeometry(du.Rect(31, 7, 137, 8));

  auto* maker = new QLabel(this);
  maker->setObjectName(QStringLiteral("maker"));
  maker->setTextFormat(Qt::PlainText);
  maker->setText(QStringLiteral("Copyright (C) Tarnwick"));
  maker->setGeometry(du.Rect(31, 20, 137, 8));

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("ok"));
  ok->setDefault(true);
  // At the template's place, grown about its middle where its text needs more.
  const QSize okSize = ButtonSize(ok, du.Size(50, 14));
  ok->setGeometry(QRect(QPoint(du.X(87) - okSize.width() / 2, du.Y(40)), okSize));
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace launcher
