#include "converter/ModelessDialog.h"

#include <QBoxLayout>
#include <QCloseEvent>
#include <QPushButton>
#include <QWindow>

#include "converter/DialogStyle.h"
#include "platform/qt/DialogUnits.h"

namespace ostrel {

// The dialog has no parent widget: a child window would be disabled together
// with the owner it disables.
ModelessDialog::ModelessDialog(const QString& caption) : QDialog(nullptr) {
  setWindowTitle(caption);
  setFont(DialogFont());
  setWindowIcon(AppIcon());
  setModal(false);
  cancelButton_ = new QPushButton(QStringLiteral("キャンセル(&C)"), this);
  cancelButton_->setDefault(true);
  cancelButton_->setAutoDefault(true);
  connect(cancelButton_, &QPushButton::clicked, this, &ModelessDialog::reject);
}

ModelessDialog::~ModelessDialog() {
  if (disabledOwner_ && owner_) {
    owner_->setEnabled(true);
    // As an owned window does, hand the activation back to the owner.
    if (isActiveWindow()) owner_->activateWindow();
  }
}

void ModelessDialog::Create(QWidget* owner) {
  owner_ = owner;
  cancel_ = false;
  if (owner != nullptr && owner->isEnabled()) {
    owner->setEnabled(false);
    disabledOwner_ = true;
  }
  adjustSize();
  if (owner != nullptr) {
    QWidget* top = owner->window();
    move(top->geometry().center() - rect().center());
    winId();
    if (windowHandle() != nullptr && top->windowHandle() != nullptr)
      windowHandle()->setTransientParent(top->windowHandle());
  }
  show();
  raise();
  activateWindow();
}

bool ModelessDialog::TakeCancel() {
  const bool cancel = cancel_;
  cancel_ = false;
  return cancel;
}

void ModelessDialog::reject() { cancel_ = true; }

void ModelessDialog::closeEvent(QCloseEvent* event) {
  cancel_ = true;
  event->ignore();
}

QVBoxLayout* ModelessDialog::MakeColumn(const platform::DialogUnits& du) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(du.X(7), du.Y(7), du.X(7), du.Y(7));
  layout->setSpacing(0);
  return layout;
}

void ModelessDialog::AddCancelRow(QBoxLayout* column) {
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cancelButton_);
  buttons->addStretch();
  column->addLayout(buttons);
}

}  // namespace ostrel
