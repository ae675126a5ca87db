#include "ui/FileChooser.h"

#include <QFileDialog>

std::optional<QString> CQtFileChooser::ChooseFileToOpen(QWidget* owner) {
    const QString path = QFileDialog::getOpenFileName(owner);
    if (path.isEmpty()) {
        return std::nullopt;
    }
    return path;
}
