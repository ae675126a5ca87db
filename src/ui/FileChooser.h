#pragma once

#include <QString>

#include <optional>

class QWidget;

// The desktop's file-open dialog: no filter, no default extension, no initial name.
class IFileChooser {
public:
    virtual ~IFileChooser() = default;
    // The full path of the chosen file, or nothing when the user cancels.
    virtual std::optional<QString> ChooseFileToOpen(QWidget* owner) = 0;
};

class CQtFileChooser : public IFileChooser {
public:
    std::optional<QString> ChooseFileToOpen(QWidget* owner) override;
};
