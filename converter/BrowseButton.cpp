#include "converter/BrowseButton.h"

#include <QAction>
#include <QMenu>
#include <QPointer>

namespace ostrel {

namespace {
QPointer<BrowseButton> g_lastClicked;
}

BrowseButton::BrowseButton(QWidget* parent) : QPushButton(QStringLiteral("..."), parent) {
  connect(this, &QPushButton::clicked, this, &BrowseButton::OnClicked);
}

BrowseButton::~BrowseButton() = default;

BrowseButton* BrowseButton::LastClicked() { return g_lastClicked.data(); }

void BrowseButton::ResetLastClicked() { g_lastClicked = nullptr; }

QMenu* BrowseButton::CreatePopupMenu(QWidget* parent) {
  auto* menu = new QMenu(parent);
  menu->addAction(QStringLiteral("ファイルの参照(&F)..."))->setData(kFileBrowse);
  menu->addAction(QStringLiteral("フォルダの参照(&O)..."))->setData(kFolderBrowse);
  return menu;
}

void BrowseButton::OnClicked() {
  g_lastClicked = this;
  QMenu* menu = CreatePopupMenu(this);
  const QAction* chosen = menu->exec(mapToGlobal(rect().bottomLeft()));
  const int id = chosen != nullptr ? chosen->data().toInt() : 0;
  delete menu;
  if (id != 0) emit Command(id);
}

}  // namespace ostrel
