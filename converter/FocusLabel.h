#pragma once
// A label that stands in for a control: it can take the keyboard focus and
// then shows it, with the style's focus frame around its text, as a control
// would.
#include <QLabel>

namespace ostrel {

class FocusLabel : public QLabel {
  Q_OBJECT
 public:
  explicit FocusLabel(const QString& text, QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace ostrel
