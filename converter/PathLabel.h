#pragma once
// A one-line text area for a path that does not fit: the middle of the path is
// replaced by an ellipsis so that the last component stays readable.
#include <QFontMetrics>
#include <QString>
#include <QWidget>

namespace ostrel {

class PathLabel : public QWidget {
  Q_OBJECT
 public:
  explicit PathLabel(QWidget* parent = nullptr);

  void SetText(const QString& text);
  const QString& Text() const { return text_; }
  // The text as it is drawn at the current width.
  QString DisplayedText() const;

  // Shortens a path to at most width pixels: the text after the last '/'
  // is kept whole when it fits, and the front of the path is cut, with an
  // ellipsis in its place; a last component that alone is too wide is cut
  // in the middle.
  static QString ElidePath(const QString& path, const QFontMetrics& metrics, int width);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString text_;
};

}  // namespace ostrel
