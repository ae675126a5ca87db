#pragma once

#include "ui/TemplateDialog.h"

class CSettingsFile;
class QRadioButton;

// The choice of the interface language for the next launch: Config/Language is "" for the
// system's language, "FR" or "US". Ok writes it; Cancel writes nothing. The running
// language does not change.
class CChooseLanguageDlg : public CTemplateDialog {
public:
    explicit CChooseLanguageDlg(const CSettingsFile& settings, QWidget* parent = nullptr);

    void accept() override;

private:
    // The three choices, found once when the dialog is built.
    struct Controls {
        QRadioButton* system;
        QRadioButton* french;
        QRadioButton* english;
    };

    Controls m_controls;
    const CSettingsFile& m_settings;
};
