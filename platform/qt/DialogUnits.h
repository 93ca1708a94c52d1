#pragma once
// Lays dialogs out in dialog units: a horizontal unit is a quarter of the
// average width of the 52 Latin letters in the dialog's font, a vertical unit
// an eighth of the font's height, so that a dialog keeps its proportions
// whatever font the desktop uses. The average is taken over the Latin letters
// only: a font with CJK glyphs reports a full em as its average character
// width, which would make every dialog far too wide.
//
// Both programs lay their dialogs out with this one computation.
#include <QFont>
#include <QRect>
#include <QSize>
#include <Qt>

class QWidget;

namespace platform {

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

// The window flags of a dialog of fixed size: a title bar with the window
// menu and the close button, no minimise or maximise button.
Qt::WindowFlags FixedDialogFlags();

// Gives a top-level dialog the flags above and a fixed size: the size in
// dialog units of its font, grown where its layout needs more so that no
// control is ever squeezed.
void MakeFixedDialog(QWidget* dialog, int width, int height);

}  // namespace platform
