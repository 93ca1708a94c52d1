#pragma once
// The size of a push button laid out by hand: its size in the dialog
// template, grown to what the style needs for the button's text in the font
// in use, so that no font cuts its text off.
#include <QSize>

class QPushButton;

namespace launcher {

QSize ButtonSize(const QPushButton* button, QSize least);

}  // namespace launcher
