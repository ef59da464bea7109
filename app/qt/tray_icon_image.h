// The program's icon: a keycap with a notification dot, drawn in code so
// that it is sharp at every size the tray asks for.
#pragma once

#include <QIcon>
#include <QImage>

QImage DrawProgramIcon(int size);
QIcon ProgramIcon();
