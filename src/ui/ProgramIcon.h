#pragma once

#include <QIcon>

// The program's icon (IDR_TRAYICON): windows, the notice, the about box, the tray.
QIcon ProgramIcon();
