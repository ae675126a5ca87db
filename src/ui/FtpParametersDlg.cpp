#include "ui/FtpParametersDlg.h"
#include "ui/DialogTemplates.h"
#include "ui/ElementText.h"
#include "ui/ResourceIds.h"
#include "ui/TranslateWindow.h"

#include "core/KelElem.h"

#include <QLineEdit>
#include <QRadioButton>

CFtpParametersDlg::CFtpParametersDlg(const CKelElem& element, QWidget* parent)
    : CTemplateDialog(kFtpParametersTemplate, parent),
      m_controls{.user = Require<QLineEdit>(IDC_FTPUSER),
                 .password = Require<QLineEdit>(IDC_FTPPASSWORD),
                 .binary = Require<QRadioButton>(IDC_BINARYFILE),
                 .ascii = Require<QRadioButton>(IDC_ASCIIFILE)},
      m_elem(element) {
    TranslateWindow(*this);
    m_strUser = element.m_strFtpUser;
    m_controls.user->setText(ShownText(m_strUser));
    m_strPassword = element.m_strFtpPassword;
    m_controls.password->setText(ShownText(m_strPassword));
    m_bAscii = element.m_bFtpBinary == 0;
    (m_bAscii ? m_controls.ascii : m_controls.binary)->setChecked(true);

    connect(m_controls.binary, &QRadioButton::clicked, this, [this] { m_bAscii = false; });
    connect(m_controls.ascii, &QRadioButton::clicked, this, [this] { m_bAscii = true; });
}

void CFtpParametersDlg::accept() {
    m_strPassword = EditedBytes(m_controls.password->text(), m_elem.m_strFtpPassword);
    m_strUser = EditedBytes(m_controls.user->text(), m_elem.m_strFtpUser);
    CTemplateDialog::accept();
}
