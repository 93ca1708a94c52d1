#include "converter/AboutDialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "converter/DialogStyle.h"
#include "platform/qt/DialogUnits.h"

namespace ostrel {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("バージョン情報"));
  setFont(DialogFont());
  setWindowIcon(AppIcon());

  auto* icon = new QLabel(this);
  icon->setPixmap(AppIcon().pixmap(32, 32));
  auto* name = new QLabel(AppTitle() + QStringLiteral(" Version ") + Version(), this);
  name->setTextFormat(Qt::PlainText);
  name->setObjectName(QStringLiteral("name"));
  auto* notice = new QLabel(QStringLiteral("Copyright (C) Tarnwick"), this);
  notice->setTextFormat(Qt::PlainText);
  notice->setObjectName(QStringLiteral("notice"));
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  // Margins of 7 dialog units; the texts beside the icon, the button below.
  const platform::DialogUnits du(font());
  ok->setMinimumWidth(du.X(50));
  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(du.X(7), du.Y(7), du.X(7), du.Y(7));
  layout->setHorizontalSpacing(du.X(7));
  layout->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
  layout->addWidget(name, 0, 1);
  layout->addWidget(notice, 1, 1);
  layout->setColumnStretch(1, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addStretch();
  layout->addLayout(buttons, 2, 0, 1, 2);
  // Wide enough for the whole title in the title bar.
  platform::MakeFixedDialog(this, 175, 61);
}

}  // namespace ostrel
