#include "ui/FtpParametersDlg.h"
#include "ui/DialogTemplates.h"
#include "ui/ElementText.h"
#include "ui/ResourceIds.h"
#include "ui/TranslateWindow.h"

#include "core/KelElem.h"

#include <QLineEdit>
#include <QRadioButton>

CFtpParametersDlg::CFtpParametersDlg(const CKelElem& element, QWidget* parent)
    : CTemplateDialog(kFtpParametersTemplate, parent), m_elem(element) {
    TranslateWindow(*this);
    m_strUser = element.m_strFtpUser;
    Control<QLineEdit>(IDC_FTPUSER)->setText(ShownText(m_strUser));
    m_strPassword = element.m_strFtpPassword;
    Control<QLineEdit>(IDC_FTPPASSWORD)->setText(ShownText(m_strPassword));
    m_nAscii = element.m_bFtpBinary != 0 ? 0 : 1;
    Control<QRadioButton>(m_nAscii == 0 ? IDC_BINARYFILE : IDC_ASCIIFILE)->setChecked(true);

    connect(Control<QRadioButton>(IDC_BINARYFILE), &QRadioButton::clicked, this,
            [this] { m_nAscii = 0; });
    connect(Control<QRadioButton>(IDC_ASCIIFILE), &QRadioButton::clicked, this,
            [this] { m_nAscii = 1; });
}

void CFtpParametersDlg::accept() {
    m_strPassword =
        EditedBytes(Control<QLineEdit>(IDC_FTPPASSWORD)->text(), m_elem.m_strFtpPassword);
    m_strUser = EditedBytes(Control<QLineEdit>(IDC_FTPUSER)->text(), m_elem.m_strFtpUser);
    CTemplateDialog::accept();
}
