#include "converter/SearchDialog.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QSpacerItem>
#include <QVBoxLayout>

#include "converter/DialogStyle.h"
#include "converter/PathLabel.h"
#include "platform/qt/DialogUnits.h"

namespace ostrel {

SearchDialog::SearchDialog() : ModelessDialog(QStringLiteral("ファイル検索中")) {
  state_ = new PathLabel(this);
  state_->setObjectName(QStringLiteral("1012"));

  // Margins of 7 dialog units; the height the rows do not need lies
  // between the folder and the button.
  const platform::DialogUnits du(font());
  QVBoxLayout* layout = MakeColumn(du);
  layout->addWidget(state_);
  layout->addSpacerItem(new QSpacerItem(0, du.Y(3), QSizePolicy::Minimum, QSizePolicy::Expanding));
  AddCancelRow(layout);

  cancelButton_->setMinimumWidth(du.X(50));
  platform::MakeFixedDialog(this, 254, 47);
}

void SearchDialog::SetStateText(const QString& folder) { state_->SetText(folder); }

}  // namespace ostrel
