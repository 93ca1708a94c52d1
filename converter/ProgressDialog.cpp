#include "converter/ProgressDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "converter/DialogStyle.h"
#include "converter/PathLabel.h"

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

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_file);
    layout->addWidget(m_bar);
    layout->addWidget(m_percent);
    layout->addLayout(buttons);

    const QSize size = DialogUnits(font(), 253, 75);
    setMinimumWidth(size.width());
    resize(size.expandedTo(sizeHint()));
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
