#include "ui/NewVersionDlg.h"
#include "ui/DialogTemplates.h"
#include "ui/ElementText.h"
#include "ui/InputGuard.h"
#include "ui/OneLineText.h"
#include "ui/ResourceIds.h"
#include "ui/TranslateWindow.h"

#include <QLabel>

CNewVersionDlg::CNewVersionDlg(const std::string& timeText, const std::string& copyText,
                               const std::string& message, QWidget* parent)
    : CTemplateDialog(kNoticeTemplate, parent) {
    TranslateWindow(*this);
    new CInputGuard(*this);
    // Filled once here and never read back, so the labels need no member.
    ShowOnOneLine(*Require<QLabel>(IDC_NOTICECOPY), ShownText(copyText));
    Require<QLabel>(IDC_NOTICETIME)->setText(QString::fromStdString(timeText));
    Require<QLabel>(IDC_NOTICEMESSAGE)->setText(ShownText(message));
}
