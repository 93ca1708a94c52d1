#pragma once
// Base of the dialogs shown while a conversion runs (file search, progress):
// shown without a modal loop, the owner window disabled while the dialog
// exists, and a Cancel button, Esc or the close box that only set a flag the
// conversion polls.
#include <QDialog>
#include <QPointer>

class QBoxLayout;
class QPushButton;
class QVBoxLayout;

namespace platform {
class DialogUnits;
}

namespace ostrel {

class ModelessDialog : public QDialog {
  Q_OBJECT
 public:
  // Enables the owner again if this dialog disabled it.
  ~ModelessDialog() override;

  // Disables the owner (when it is enabled; remembered), then shows the
  // dialog centred over the owner. The owner may be null.
  void Create(QWidget* owner);

  // Returns whether Cancel was pressed since the last call and clears the flag.
  bool TakeCancel();
  bool CancelPending() const { return cancel_; }

  QPushButton* CancelButton() const { return cancelButton_; }

 public slots:
  // The Cancel button and Esc: set the flag; the dialog stays open.
  void reject() override;

 protected:
  explicit ModelessDialog(const QString& caption);
  void closeEvent(QCloseEvent* event) override;
  // The dialog's column of rows: margins of 7 dialog units, no spacing.
  QVBoxLayout* MakeColumn(const platform::DialogUnits& du);
  // Appends the Cancel button centred in a row of its own.
  void AddCancelRow(QBoxLayout* column);

  QPushButton* cancelButton_ = nullptr;

 private:
  QPointer<QWidget> owner_;
  bool disabledOwner_ = false;
  bool cancel_ = false;
};

}  // namespace ostrel
