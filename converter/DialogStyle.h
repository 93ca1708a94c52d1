#pragma once
// Look shared by the converter's dialogs: the Japanese UI font, the window
// icon and the application title used for window and message-box captions.
#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <QString>

namespace ostrel {

// The application title: window caption of the main dialog, caption of every
// message box, and the application name of the profile.
QString AppTitle();

// The font of every dialog: a Japanese proportional gothic face at 9 pt, the
// first of the usual families that the system has.
QFont DialogFont();

// The program's icon, drawn at run time (a page with a picture above a band)
// at 16, 32 and 48 pixels.
QIcon AppIcon();

// The same drawing at `size` x `size` pixels; the installed icon files are
// made from it.
QPixmap DrawAppIcon(int size);

}  // namespace ostrel
