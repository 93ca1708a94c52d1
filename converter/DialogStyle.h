#pragma once
// Look shared by the converter's dialogs: the Japanese UI font, the window
// icon and the application title used for window and message-box captions.
#include <QFont>
#include <QIcon>
#include <QString>

namespace ostrel {

// The application title: window caption of the main dialog, caption of every
// message box, and the application name of the profile.
QString AppTitle();

// The font of every dialog: a Japanese proportional gothic face at 9 pt, the
// first of the usual families that the system has.
QFont DialogFont();

// The program's icon, drawn at run time (a page with an arrow).
QIcon AppIcon();

}  // namespace ostrel
