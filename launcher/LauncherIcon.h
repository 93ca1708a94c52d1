#pragma once
// The launcher's program icon, shown on its windows and in the About box.
#include <QIcon>

class QWidget;

namespace launcher {

QIcon LauncherIcon(const QWidget* widget);

}  // namespace launcher
