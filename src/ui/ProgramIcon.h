#pragma once

#include <QIcon>

// The program's icon (icon resource 131): windows, the notice, the about box, the tray.
QIcon ProgramIcon();
