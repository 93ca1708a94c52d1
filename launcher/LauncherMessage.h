#pragma once
// Message boxes of the launcher: a string-table text with the stop icon and
// an OK button, titled with the program's file name without its extension,
// carrying the program's window icon, of fixed size.
class QWidget;

namespace launcher {

void ShowStopMessage(QWidget* parent, int stringId);

}  // namespace launcher
