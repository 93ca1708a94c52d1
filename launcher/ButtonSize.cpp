#include "launcher/ButtonSize.h"

#include <QPushButton>

namespace launcher {

QSize ButtonSize(const QPushButton* button, QSize least) {
  return least.expandedTo(button->sizeHint());
}

}  // namespace launcher
