#pragma once
// The "..." button beside a path box. A click remembers the button as the
// last-clicked one and opens a popup menu below it with the commands "browse
// for a file" and "browse for a folder", which go to the main dialog.
#include <QPushButton>

class QMenu;

namespace ostrel {

class BrowseButton : public QPushButton {
  Q_OBJECT
 public:
  // Command ids of the popup menu's items.
  static constexpr int kFileBrowse = 32771;
  static constexpr int kFolderBrowse = 32772;

  explicit BrowseButton(QWidget* parent = nullptr);
  ~BrowseButton() override;

  // The browse button clicked last, or null.
  static BrowseButton* LastClicked();
  static void ResetLastClicked();

  // Builds the popup menu: "ファイルの参照(&F)..." and "フォルダの参照(&O)...",
  // each action carrying its command id as data.
  static QMenu* CreatePopupMenu(QWidget* parent);

  // The click handler: remembers this button and shows the menu with the
  // button's bottom-left corner as its top-left corner.
  void OnClicked();

 signals:
  // A menu command was chosen (kFileBrowse or kFolderBrowse).
  void Command(int id);
};

}  // namespace ostrel
