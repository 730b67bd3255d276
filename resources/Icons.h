#pragma once
// The program's pictures, drawn in code so they stay sharp at 16 x 16: the closed and open
// pictures of the categories, the toolbar buttons the desktop theme has no picture for, and the
// window icon.
#include <QIcon>
#include <QPixmap>

// One of the category pictures 130 ... 147, 16 x 16.
QPixmap CategoryPixmap(int id, int size = 16);
// The toolbar picture of a command: the desktop theme's where one fits, else ours.
QIcon ToolbarIcon(int commandId);
// Our own picture of a command (the fallback).
QIcon OwnToolbarIcon(int commandId);
QIcon AppWindowIcon();
