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
    m_file = new PathLabel(this);
    m_file->setObjectName(QStringLiteral("1005"));
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("1003"));
    m_bar->setTextVisible(false);
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_percent = new QLabel(QStringLiteral(" 0 %"), this);
    m_percent->setObjectName(QStringLiteral("1004"));
    m_percent->setAlignment(Qt::AlignCenter);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cancelButton);
    buttons->addStretch();

    // Margins of 7 dialog units; the height the rows do not need is shared
    // out between them.
    const platform::DialogUnits du(font());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(du.X(7), du.Y(7), du.X(7), du.Y(7));
    layout->setSpacing(0);
    const auto gap = [&] {
        layout->addSpacerItem(new QSpacerItem(0, du.Y(3), QSizePolicy::Minimum, QSizePolicy::Expanding));
    };
    layout->addWidget(m_file);
    gap();
    layout->addWidget(m_bar);
    gap();
    layout->addWidget(m_percent);
    gap();
    layout->addLayout(buttons);

    m_cancelButton->setMinimumWidth(du.X(50));
    platform::MakeFixedDialog(this, 253, 75);
}

void ProgressDialog::SetRange(int32_t low, int32_t high) {
    m_bar->setRange(low, high < low ? low : high);
    m_bar->setValue(low);
}

void ProgressDialog::SetPos(int32_t pos) { m_bar->setValue(pos); }

void ProgressDialog::SetPercentText(const QString& text) {
    if (m_percent->text() != text)
        m_percent->setText(text);
}

void ProgressDialog::SetFileText(const QString& path) { m_file->SetText(path); }

}  // namespace ostrel
