#pragma once

#include "ui/TemplateDialog.h"

#include <string>

class CKelElem;
class QLineEdit;
class QRadioButton;

// The FTP parameters of an element: user, masked password, binary or ASCII transfer.
// It reads the element when it opens and writes nothing itself: after Ok the caller takes
// User, Password and AsciiChoice.
class CFtpParametersDlg : public CTemplateDialog {
public:
    CFtpParametersDlg(const CKelElem& element, QWidget* parent);

    const std::string& User() const { return m_strUser; }
    const std::string& Password() const { return m_strPassword; }
    // Whether "ASCII file" is chosen rather than "Binary file".
    bool AsciiChosen() const { return m_bAscii; }

    void accept() override;

private:
    // The controls the dialog reads and writes, found once when it is built.
    struct Controls {
        QLineEdit* user;
        QLineEdit* password;
        QRadioButton* binary;
        QRadioButton* ascii;
    };

    Controls m_controls;
    const CKelElem& m_elem;
    std::string m_strUser;
    std::string m_strPassword;
    bool m_bAscii = false;
};
