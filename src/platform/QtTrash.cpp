#include "platform/QtTrash.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

bool CQtTrash::MoveToTrash(const std::string& path) {
    // When it cannot make the trash's folders Qt reports success yet moves the file into the
    // current folder, so they must be there first.
    const QString dataFolder =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (dataFolder.isEmpty()) {
        return false;
    }
    const QDir trash(dataFolder + QStringLiteral("/Trash"));
    if (!trash.mkpath(QStringLiteral("files")) || !trash.mkpath(QStringLiteral("info"))) {
        return false;
    }
    return QFile::moveToTrash(QFile::decodeName(QByteArray::fromStdString(path)));
}
