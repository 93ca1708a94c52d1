#include "converter/HelpStatusBar.h"

#include <algorithm>

#include <QFontMetrics>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace ostrel {

namespace {
// The message's margins, as the standard status bar keeps them.
constexpr int kLeft = 6;
constexpr int kRight = 12;
constexpr int kFlags = Qt::AlignLeading | Qt::AlignVCenter | Qt::TextWordWrap;
}  // namespace

HelpStatusBar::HelpStatusBar(QWidget* parent) : QStatusBar(parent) { setSizeGripEnabled(false); }

QRect HelpStatusBar::MessageRect(int width) const {
  return QRect(kLeft, 0, std::max(1, width - kLeft - kRight), height());
}

void HelpStatusBar::FitTexts(int width, const QStringList& texts) {
  const QFontMetrics metrics(font());
  const QRect area = MessageRect(width);
  int textHeight = metrics.height();
  for (const QString& text : texts)
    textHeight =
        std::max(textHeight,
                 metrics.boundingRect(QRect(0, 0, area.width(), 1 << 16), kFlags, text).height());
  // The room the bar keeps around a single line stays around all of them.
  const int padding = std::max(0, sizeHint().height() - metrics.height());
  setFixedHeight(textHeight + padding);
}

bool HelpStatusBar::Fits(const QString& text) const {
  const QRect area = MessageRect();
  const QRect needed =
      QFontMetrics(font()).boundingRect(QRect(0, 0, area.width(), 1 << 16), kFlags, text);
  return needed.width() <= area.width() && needed.height() <= area.height();
}

void HelpStatusBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QStyleOption option;
  option.initFrom(this);
  style()->drawPrimitive(QStyle::PE_PanelStatusBar, &option, &painter, this);
  const QString message = currentMessage();
  if (message.isEmpty()) return;
  painter.setPen(palette().windowText().color());
  painter.drawText(MessageRect(), kFlags, message);
}

}  // namespace ostrel
