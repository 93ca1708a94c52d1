#include "platform/qt/DialogUnits.h"

#include <QFontMetrics>
#include <QLayout>
#include <QString>
#include <QWidget>
#include <algorithm>

namespace platform {

namespace {
// Scales and rounds to the nearest pixel.
int Scale(int units, int base, int divisor) {
  return static_cast<int>((static_cast<long long>(units) * base + divisor / 2) / divisor);
}
}  // namespace

DialogUnits::DialogUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  const int alphabet = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  // The rounded average over the 52 letters.
  baseX_ = std::max(1, (alphabet / 26 + 1) / 2);
  baseY_ = std::max(1, metrics.height());
}

int DialogUnits::X(int units) const { return Scale(units, baseX_, 4); }

int DialogUnits::Y(int units) const { return Scale(units, baseY_, 8); }

QRect DialogUnits::Rect(int x, int y, int width, int height) const {
  return QRect(X(x), Y(y), X(width), Y(height));
}

QSize DialogUnits::Size(int width, int height) const { return QSize(X(width), Y(height)); }

Qt::WindowFlags FixedDialogFlags() {
  return Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
         Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;
}

void MakeFixedDialog(QWidget* dialog, int width, int height) {
  dialog->setWindowFlags(FixedDialogFlags());
  dialog->ensurePolished();
  QSize size = DialogUnits(dialog->font()).Size(width, height);
  if (QLayout* layout = dialog->layout()) {
    // The layout must not raise the minimum again or shrink the window.
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    size = size.expandedTo(layout->minimumSize());
  }
  dialog->setFixedSize(size);
}

}  // namespace platform
