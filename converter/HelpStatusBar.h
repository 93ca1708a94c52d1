#pragma once
// The status bar of the main dialog, which shows the help line of the
// control under the mouse. A help text longer than the bar is wide goes on
// over a second line instead of being cut off; the bar is made high enough
// for the longest of its texts once, so that the dialog's layout does not
// move while the mouse does.
#include <QRect>
#include <QStatusBar>
#include <QStringList>

namespace ostrel {

class HelpStatusBar : public QStatusBar {
  Q_OBJECT
 public:
  explicit HelpStatusBar(QWidget* parent = nullptr);

  // Makes the bar, at a given width, high enough to show each text whole.
  void FitTexts(int width, const QStringList& texts);

  // Where the message is drawn, for the bar's present size (or another
  // width).
  QRect MessageRect() const { return MessageRect(width()); }
  QRect MessageRect(int width) const;

  // Whether a text, wrapped at the message's width, fits the bar.
  bool Fits(const QString& text) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace ostrel
