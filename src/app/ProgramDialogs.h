#pragma once

#include "app/MainWindowDialogs.h"
#include "ui/FileChooser.h"

class CSettingsFile;
class IMessageBoxes;

// The real dialogs of the main window.
class CProgramDialogs : public IMainWindowDialogs {
public:
    CProgramDialogs(const CSettingsFile& settings, IMessageBoxes& boxes)
        : m_settings(settings), m_boxes(boxes) {}

    BoxAnswer EditElement(CKelElem& elem, QWidget* parent, bool& modified) override;
    void ChooseLanguage(QWidget* parent) override;
    void ShowAbout(QWidget* parent) override;
    void ShowHelpIndex() override;

private:
    const CSettingsFile& m_settings;
    IMessageBoxes& m_boxes;
    CQtFileChooser m_files;
};
