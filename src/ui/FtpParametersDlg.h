#pragma once

#include "ui/TemplateDialog.h"

#include <cstdint>
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
    // 1 when "ASCII file" is chosen, 0 for "Binary file".
    int32_t AsciiChoice() const { return m_nAscii; }

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
    int32_t m_nAscii = 0;
};
