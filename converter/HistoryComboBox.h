#pragma once
// An editable combo box that keeps a history of up to 20 paths, most recent
// first, in a section of the profile. It accepts dropped files (the first one
// becomes its text) and asks its dialog to recompute the enabling of the
// controls whenever its text may have changed. Its list opens on the entry
// equal to the text, and an Alt chord never types into the text.
#include <QComboBox>
#include <QString>
#include <QStringList>

namespace ostrel {

class HistoryComboBox : public QComboBox {
  Q_OBJECT
 public:
  // section: the profile section of the history ("Src" or "Dest"); an empty
  // section keeps no history in the profile.
  explicit HistoryComboBox(const QString& section, QWidget* parent = nullptr);
  // Writes the history to the profile when it was loaded from there.
  ~HistoryComboBox() override;

  const QString& Section() const { return section_; }

  // Fills the list from the profile.
  void LoadHistory();
  // Puts a text at the top of the list (moving an equal entry there),
  // keeps at most 20 entries, selects the text and asks for the enabling.
  // An empty text changes nothing.
  void AddToHistory(const QString& text);
  // Writes the entries to the profile.
  void SaveHistory();
  // The entries, most recent first.
  QStringList Entries() const;

  // Opens the list on the entry equal to the text, or on none.
  void showPopup() override;

 signals:
  // The text may have changed; connected queued, so the receiver runs after
  // the current event has been handled.
  void EnableControlsRequested(ostrel::HistoryComboBox* sender);

 protected:
  void focusOutEvent(QFocusEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void RequestEnable();

  QString section_;
  bool loaded_ = false;
};

}  // namespace ostrel
