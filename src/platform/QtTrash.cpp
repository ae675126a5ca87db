#include "platform/QtTrash.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

bool CQtTrash::MoveToTrash(const std::string& path) {
    // Without the data folder Qt reports success yet moves the file into the current
    // folder, so the folder must exist first.
    const QString dataFolder =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (dataFolder.isEmpty() || !QDir().mkpath(dataFolder)) {
        return false;
    }
    return QFile::moveToTrash(QFile::decodeName(QByteArray::fromStdString(path)));
}
