#include "converter/SearchDialog.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "converter/DialogStyle.h"
#include "converter/PathLabel.h"

namespace ostrel {

SearchDialog::SearchDialog() : ModelessDialog(QStringLiteral("ファイル検索中")) {
    m_state = new PathLabel(this);
    m_state->setObjectName(QStringLiteral("1012"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cancelButton);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_state);
    layout->addLayout(buttons);

    const QSize size = DialogUnits(font(), 254, 47);
    setMinimumWidth(size.width());
    resize(size.expandedTo(sizeHint()));
}

void SearchDialog::SetStateText(const QString& folder) { m_state->SetText(folder); }

}  // namespace ostrel
