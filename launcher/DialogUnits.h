#pragma once
// Lays dialogs out in dialog units: a horizontal unit is a quarter of the
// font's average character width, a vertical unit an eighth of its height,
// so that a dialog keeps its proportions whatever font the desktop uses.
#include <QFont>
#include <QRect>
#include <QSize>

namespace launcher {

class DialogUnits {
 public:
  explicit DialogUnits(const QFont& font);

  int X(int units) const;
  int Y(int units) const;
  QRect Rect(int x, int y, int width, int height) const;
  QSize Size(int width, int height) const;

  int BaseX() const { return baseX_; }
  int BaseY() const { return baseY_; }

 private:
  int baseX_;
  int baseY_;
};

}  // namespace launcher
