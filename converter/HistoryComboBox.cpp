#include "converter/HistoryComboBox.h"

#include <algorithm>

#include <QAbstractItemView>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>

#include "converter/ConverterProfile.h"

namespace ostrel {

namespace {

// The first local file among the dropped items, or an empty string.
QString FirstDroppedPath(const QMimeData* mime) {
  if (mime == nullptr || !mime->hasUrls()) return QString();
  for (const QUrl& url : mime->urls()) {
    if (url.isLocalFile()) return url.toLocalFile();
    break;  // only the first dropped item counts
  }
  return QString();
}

// A key pressed with Alt (and without Ctrl, which with Alt is AltGr on some
// keyboards) that would type a character. Such a chord is an access key,
// or no key at all when no control has it: it never types. Alt with a key
// that types nothing (Alt+Down opens the list) is left alone.
bool IsAltChord(const QKeyEvent* event) {
  const Qt::KeyboardModifiers modifiers = event->modifiers();
  return (modifiers & Qt::AltModifier) && !(modifiers & Qt::ControlModifier) &&
         !event->text().isEmpty();
}

}  // namespace

HistoryComboBox::HistoryComboBox(const QString& section, QWidget* parent)
    : QComboBox(parent), section_(section) {
  setEditable(true);
  // The text is taken as typed: the editable box's own completer would
  // complete a prefix from the history (ignoring case) as soon as the user
  // leaves the field or presses Enter, turning a folder into a file path.
  setCompleter(nullptr);
  setInsertPolicy(QComboBox::NoInsert);
  setMaxVisibleItems(ConverterProfile::kHistorySize);
  setAcceptDrops(true);
  // Drops on the edit field go to the combo box, which takes files, rather
  // than into the text as plain text.
  lineEdit()->setAcceptDrops(false);
  // Keys can reach the edit field directly (the field passes the focus on
  // to the box, but events sent to it do not pass through the box).
  lineEdit()->installEventFilter(this);
  // Watched after the list's own handling is set up, so this box sees the
  // list's keys first.
  view()->installEventFilter(this);
  connect(this, &QComboBox::editTextChanged, this, [this](const QString&) { RequestEnable(); });
  connect(this, &QComboBox::activated, this, [this](int) { RequestEnable(); });
}

HistoryComboBox::~HistoryComboBox() {
  if (loaded_) SaveHistory();
}

void HistoryComboBox::LoadHistory() {
  if (section_.isEmpty()) return;
  const auto profile = ConverterProfile::Open();
  const QStringList entries = ConverterProfile::ReadHistory(*profile, section_);
  const QString text = currentText();
  clear();
  addItems(entries);
  setEditText(text);
  loaded_ = true;
}

void HistoryComboBox::AddToHistory(const QString& text) {
  if (text.isEmpty()) return;
  const int found = findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (found >= 0) removeItem(found);
  insertItem(0, text);
  while (count() > ConverterProfile::kHistorySize) removeItem(count() - 1);
  setCurrentIndex(0);
  RequestEnable();
}

void HistoryComboBox::SaveHistory() {
  if (section_.isEmpty()) return;
  const auto profile = ConverterProfile::Open();
  ConverterProfile::WriteHistory(*profile, section_, Entries());
  profile->sync();
}

QStringList HistoryComboBox::Entries() const {
  QStringList entries;
  const int n = std::min(count(), ConverterProfile::kHistorySize);
  for (int i = 0; i < n; ++i) entries.append(itemText(i));
  return entries;
}

void HistoryComboBox::RequestEnable() { emit EnableControlsRequested(this); }

void HistoryComboBox::showPopup() {
  // The box's current entry can be stale: typing changes the text, not the
  // entry. The list opens on the entry that is the text, or on none, so that
  // Enter in it puts back no other path.
  const int row = findText(currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
  QComboBox::showPopup();
  QItemSelectionModel* selection = view()->selectionModel();
  if (selection == nullptr) return;
  if (row >= 0) {
    selection->setCurrentIndex(model()->index(row, modelColumn(), rootModelIndex()),
                               QItemSelectionModel::ClearAndSelect);
  } else {
    selection->clear();
  }
}

void HistoryComboBox::keyPressEvent(QKeyEvent* event) {
  if (IsAltChord(event)) {
    event->ignore();
    return;
  }
  QComboBox::keyPressEvent(event);
}

bool HistoryComboBox::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (watched == lineEdit() && IsAltChord(key)) {
      key->ignore();
      return true;
    }
    // Enter in the list with no entry chosen closes it and keeps the text.
    if (watched == view() && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
        !view()->currentIndex().isValid()) {
      hidePopup();
      return true;
    }
  }
  return QComboBox::eventFilter(watched, event);
}

void HistoryComboBox::focusOutEvent(QFocusEvent* event) {
  QComboBox::focusOutEvent(event);
  // Opening the drop-down list moves the focus to the list for a moment;
  // that is not leaving the field.
  if (event->reason() != Qt::PopupFocusReason) AddToHistory(currentText());
}

void HistoryComboBox::dragEnterEvent(QDragEnterEvent* event) {
  if (!FirstDroppedPath(event->mimeData()).isEmpty())
    event->acceptProposedAction();
  else
    event->ignore();
}

void HistoryComboBox::dragMoveEvent(QDragMoveEvent* event) {
  if (!FirstDroppedPath(event->mimeData()).isEmpty())
    event->acceptProposedAction();
  else
    event->ignore();
}

void HistoryComboBox::dropEvent(QDropEvent* event) {
  const QString path = FirstDroppedPath(event->mimeData());
  if (path.isEmpty()) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
  setEditText(path);
  AddToHistory(path);
  RequestEnable();
}

}  // namespace ostrel
