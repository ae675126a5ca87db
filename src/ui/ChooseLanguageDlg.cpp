#include "ui/ChooseLanguageDlg.h"
#include "ui/DialogTemplates.h"
#include "ui/ResourceIds.h"
#include "ui/TranslateWindow.h"

#include "platform/SettingsFile.h"

#include <QRadioButton>

#include <string>

namespace {

const char kFrench[] = "FR";
const char kEnglish[] = "US";

}  // namespace

CChooseLanguageDlg::CChooseLanguageDlg(const CSettingsFile& settings, QWidget* parent)
    : CTemplateDialog(kLanguageTemplate, parent), m_settings(settings) {
    TranslateWindow(*this);
    const std::string value = m_settings.Language();
    const int checked = value == kFrench    ? IDC_LANGFRENCH
                        : value == kEnglish ? IDC_LANGENGLISH
                                            : IDC_LANGSYSTEM;
    Control<QRadioButton>(checked)->setChecked(true);
}

void CChooseLanguageDlg::accept() {
    std::string value;
    if (Control<QRadioButton>(IDC_LANGFRENCH)->isChecked()) {
        value = kFrench;
    } else if (Control<QRadioButton>(IDC_LANGENGLISH)->isChecked()) {
        value = kEnglish;
    }
    m_settings.WriteString("Language", value);
    CTemplateDialog::accept();
}
