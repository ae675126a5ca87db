#pragma once

#include <QIcon>

// The program's icon (IDR_TRAYICON): windows, the notice, the about box, the tray.
QIcon ProgramIcon();
// The same with a warning mark in its lower right quarter: the tray's icon while elements
// are failing.
QIcon ProgramIconWithWarningMark();
