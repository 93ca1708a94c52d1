#include "converter/PathLabel.h"

#include <QPainter>

namespace ostrel {

PathLabel::PathLabel(QWidget* parent) : QWidget(parent) {
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void PathLabel::SetText(const QString& text) {
  if (text == text_) return;
  text_ = text;
  update();
}

QString PathLabel::DisplayedText() const {
  return ElidePath(text_, fontMetrics(), contentsRect().width());
}

QString PathLabel::ElidePath(const QString& path, const QFontMetrics& metrics, int width) {
  if (metrics.horizontalAdvance(path) <= width) return path;
  const QString ellipsis(QChar(0x2026));
  const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
  if (slash > 0) {
    const QString tail = path.mid(slash);
    const int room = width - metrics.horizontalAdvance(tail);
    if (room >= metrics.horizontalAdvance(ellipsis)) {
      // Keep as much of the front as fits, then the ellipsis and the
      // tail; the whole path is too wide, so the front is always cut.
      return metrics.elidedText(path.left(slash), Qt::ElideRight, room) + tail;
    }
  }
  return metrics.elidedText(path, Qt::ElideMiddle, width);
}

QSize PathLabel::sizeHint() const {
  return QSize(fontMetrics().averageCharWidth() * 40, fontMetrics().height() + 2);
}

QSize PathLabel::minimumSizeHint() const {
  return QSize(fontMetrics().averageCharWidth() * 4, fontMetrics().height() + 2);
}

void PathLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawText(contentsRect(), Qt::AlignLeft | Qt::AlignVCenter, DisplayedText());
}

}  // namespace ostrel
