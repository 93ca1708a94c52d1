#pragma once
// The launcher's About box: icon, product name with version, maker, OK.
#include <QDialog>

namespace launcher {

class LauncherAboutDialog : public QDialog {
  Q_OBJECT
 public:
  explicit LauncherAboutDialog(QWidget* parent = nullptr);
};

}  // namespace launcher
