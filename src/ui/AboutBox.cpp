#include "ui/AboutBox.h"
#include "ui/DialogTemplates.h"
#include "ui/ResourceIds.h"
#include "ui/TranslateWindow.h"

#include "i18n/MessageCatalogue.h"

#include <QShowEvent>

CAboutBox::CAboutBox(IMessageBoxes& boxes, QWidget* parent)
    : CTemplateDialog(kAboutTemplate, parent) {
    TranslateWindow(*this);
    for (const int id : {IDC_MAILLINK, IDC_WEBLINK}) {
        Control<CLinkLabel>(id)->SetMessageBoxes(&boxes);
    }
}

void CAboutBox::SetLinkOpener(const LinkOpener& opener) {
    for (const int id : {IDC_MAILLINK, IDC_WEBLINK}) {
        Control<CLinkLabel>(id)->SetOpener(opener);
    }
}

void CAboutBox::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        SetUpLinks();
    }
    CTemplateDialog::showEvent(event);
}

void CAboutBox::SetUpLinks() {
    const QString address = QString::fromUtf8(kContactAddress);
    auto* mail = Control<CLinkLabel>(IDC_MAILLINK);
    mail->setText(QStringLiteral("Mail : ") + address);
    mail->SetTarget(QStringLiteral("mailto:") + address);

    const QString page = QString::fromStdString(GetMessage("IDS_HTTP"));
    auto* web = Control<CLinkLabel>(IDC_WEBLINK);
    web->setText(QStringLiteral("Web : ") + page);
    web->SetTarget(page);
}
