#include "converter/ModelessDialog.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QWindow>

#include "converter/DialogStyle.h"

namespace ostrel {

// The dialog has no parent widget: a child window would be disabled together
// with the owner it disables.
ModelessDialog::ModelessDialog(const QString& caption) : QDialog(nullptr) {
    setWindowTitle(caption);
    setFont(DialogFont());
    setWindowIcon(AppIcon());
    setModal(false);
    m_cancelButton = new QPushButton(QStringLiteral("キャンセル(&C)"), this);
    m_cancelButton->setDefault(true);
    m_cancelButton->setAutoDefault(true);
    connect(m_cancelButton, &QPushButton::clicked, this, &ModelessDialog::reject);
}

ModelessDialog::~ModelessDialog() {
    if (m_disabledOwner && m_owner) {
        m_owner->setEnabled(true);
        // As an owned window does, hand the activation back to the owner.
        if (isActiveWindow())
            m_owner->activateWindow();
    }
}

void ModelessDialog::Create(QWidget* owner) {
    m_owner = owner;
    m_cancel = false;
    if (owner != nullptr && owner->isEnabled()) {
        owner->setEnabled(false);
        m_disabledOwner = true;
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
    const bool cancel = m_cancel;
    m_cancel = false;
    return cancel;
}

void ModelessDialog::reject() { m_cancel = true; }

void ModelessDialog::closeEvent(QCloseEvent* event) {
    m_cancel = true;
    event->ignore();
}

}  // namespace ostrel
