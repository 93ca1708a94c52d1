#pragma once
// The About box: the program's name and version and the maker's notice.
#include <QDialog>

namespace ostrel {

class AboutDialog : public QDialog {
  Q_OBJECT
 public:
  explicit AboutDialog(QWidget* parent = nullptr);

  // The version shown.
  static QString Version() { return QStringLiteral("1.00"); }
};

}  // namespace ostrel
