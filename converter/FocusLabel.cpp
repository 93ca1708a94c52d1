#include "converter/FocusLabel.h"

#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace ostrel {

FocusLabel::FocusLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {}

void FocusLabel::paintEvent(QPaintEvent* event) {
  QLabel::paintEvent(event);
  if (!hasFocus()) return;
  // The frame hugs the text where the label's alignment puts it, a pixel
  // and more of room around it, inside the label.
  const QRect text =
      style()->itemTextRect(fontMetrics(), contentsRect(), alignment(), isEnabled(), this->text());
  QStyleOptionFocusRect option;
  option.initFrom(this);
  option.backgroundColor = palette().color(backgroundRole());
  option.rect = text.adjusted(-2, -1, 2, 1) & rect();
  QStylePainter painter(this);
  painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
}

}  // namespace ostrel
