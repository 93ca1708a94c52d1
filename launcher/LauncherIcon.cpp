#include "launcher/LauncherIcon.h"

#include <QStyle>
#include <QWidget>

namespace launcher {

QIcon LauncherIcon(const QWidget* widget) {
  return widget->style()->standardIcon(QStyle::SP_ComputerIcon, nullptr, widget);
}

}  // namespace launcher
