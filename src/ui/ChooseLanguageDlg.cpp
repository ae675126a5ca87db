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
    : CTemplateDialog(kLanguageTemplate, parent),
      m_controls{.system = Require<QRadioButton>(IDC_LANGSYSTEM),
                 .french = Require<QRadioButton>(IDC_LANGFRENCH),
                 .english = Require<QRadioButton>(IDC_LANGENGLISH)},
      m_settings(settings) {
    TranslateWindow(*this);
    const std::string value = m_settings.Language();
    QRadioButton* checked = value == kFrench    ? m_controls.french
                            : value == kEnglish ? m_controls.english
                                                : m_controls.system;
    checked->setChecked(true);
}

void CChooseLanguageDlg::accept() {
    std::string value;
    if (m_controls.french->isChecked()) {
        value = kFrench;
    } else if (m_controls.english->isChecked()) {
        value = kEnglish;
    }
    m_settings.WriteString("Language", value);
    CTemplateDialog::accept();
}
