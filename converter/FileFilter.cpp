#include "converter/FileFilter.h"

namespace ostrel {

QString InputFileFilter() {
  return QStringLiteral(
      "画像ファイル (*.bmp;*.jpeg;*.jpg;*.tiff;*.tif)|*.bmp;*.jpeg;*.jpg;*.tiff;*.tif|"
      "ビットマップ ファイル (*.bmp)|*.bmp|JPEG ファイル (*.jpeg;*.jpg)|*.jpeg;*.jpg|"
      "TIFF ファイル (*.tiff;*.tif)|*.tiff;*.tif|すべてのファイル (*.*)|*.*||");
}

QString OutputFileFilter() {
  return QStringLiteral("PDF ファイル (*.pdf)|*.pdf|すべてのファイル (*.*)|*.*||");
}

QString ReportFileFilter() {
  return QStringLiteral("テキストファイル (*.txt)|*.txt|すべてのファイル (*.*)|*.*||");
}

QStringList NameFilters(const QString& tableFilter) {
  QStringList filters;
  const QStringList parts = tableFilter.split(QLatin1Char('|'));
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts.at(i).trimmed();
    if (description.isEmpty()) break;  // the empty pair ends the list
    QStringList patterns = parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& pattern : patterns) {
      pattern = pattern.trimmed();
      if (pattern == QLatin1String("*.*")) pattern = QStringLiteral("*");
    }
    // The description's own parenthesised list, if any, gives way to the
    // list in the form the dialog reads.
    if (description.endsWith(QLatin1Char(')'))) {
      const qsizetype open = description.lastIndexOf(QLatin1Char('('));
      if (open >= 0) description = description.left(open).trimmed();
    }
    filters.append(description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                   QLatin1Char(')'));
  }
  return filters;
}

}  // namespace ostrel
