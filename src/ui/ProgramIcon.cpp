#include "ui/ProgramIcon.h"

#include <QString>

QIcon ProgramIcon() {
    return QIcon(QStringLiteral(":/morvane/icons/morvane.png"));
}
