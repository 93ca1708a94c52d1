#include "converter/DialogStyle.h"

#include <QPainter>
#include <QPixmap>
#include <QStringList>

namespace ostrel {

QString AppTitle() { return QStringLiteral("Velmora"); }

QFont DialogFont() {
  QFont font;
  // The first face is the one the dialogs were designed for; the others are
  // the Japanese faces a Linux desktop usually has.
  font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                    QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Noto Sans JP"),
                    QStringLiteral("IPAPGothic"), QStringLiteral("VL PGothic"),
                    QStringLiteral("Takao PGothic"), QStringLiteral("Sans Serif")});
  font.setPointSize(9);
  return font;
}

QPixmap DrawAppIcon(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const qreal u = size / 32.0;
  // A sheet of paper with a folded corner.
  QPolygonF page;
  page << QPointF(6 * u, 2 * u) << QPointF(20 * u, 2 * u) << QPointF(26 * u, 8 * u)
       << QPointF(26 * u, 30 * u) << QPointF(6 * u, 30 * u);
  painter.setPen(QPen(QColor(60, 60, 60), u));
  painter.setBrush(Qt::white);
  painter.drawPolygon(page);
  painter.drawLine(QPointF(20 * u, 2 * u), QPointF(20 * u, 8 * u));
  painter.drawLine(QPointF(20 * u, 8 * u), QPointF(26 * u, 8 * u));
  // A red band standing for the document format.
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(190, 30, 30));
  painter.drawRect(QRectF(9 * u, 18 * u, 14 * u, 8 * u));
  // A blue picture above it standing for the image.
  painter.setBrush(QColor(40, 110, 200));
  painter.drawRect(QRectF(9 * u, 8 * u, 9 * u, 7 * u));
  return pixmap;
}

QIcon AppIcon() {
  QIcon icon;
  for (int size : {16, 32, 48}) icon.addPixmap(DrawAppIcon(size));
  return icon;
}

}  // namespace ostrel
