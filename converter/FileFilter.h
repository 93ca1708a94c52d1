#pragma once
// File-dialog filters. The string table keeps a filter as pairs of a
// description and a ';'-separated pattern list, each followed by '|', and an
// empty pair at the end; the file dialog wants "description (p1 p2 ...)".
#include <QString>
#include <QStringList>

namespace ostrel {

// Filter strings of the string table.
QString InputFileFilter();   // image files
QString OutputFileFilter();  // PDF files
QString ReportFileFilter();  // text files

// The file dialog's name filters for a string-table filter. The description
// keeps its text with its pattern list in the parentheses separated by
// blanks; "*.*" becomes "*" (a name without a dot is a file too).
QStringList NameFilters(const QString& tableFilter);

}  // namespace ostrel
