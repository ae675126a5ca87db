#include "ui/AboutBox.h"
#include "ui/DialogTemplates.h"
#include "ui/ResourceIds.h"
#include "ui/TranslateWindow.h"

#include "i18n/MessageCatalogue.h"

#include <QShowEvent>

CAboutBox::CAboutBox(IMessageBoxes& boxes, QWidget* parent)
    : CTemplateDialog(kAboutTemplate, parent),
      m_controls{.mail = Require<CLinkLabel>(IDC_MAILLINK),
                 .web = Require<CLinkLabel>(IDC_WEBLINK)} {
    TranslateWindow(*this);
    for (CLinkLabel* link : {m_controls.mail, m_controls.web}) {
        link->SetMessageBoxes(&boxes);
    }
}

void CAboutBox::SetLinkOpener(const LinkOpener& opener) {
    for (CLinkLabel* link : {m_controls.mail, m_controls.web}) {
        link->SetOpener(opener);
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
    m_controls.mail->setText(QStringLiteral("Mail : ") + address);
    m_controls.mail->SetTarget(QStringLiteral("mailto:") + address);

    const QString page = QString::fromStdString(GetMessage("IDS_HTTP"));
    m_controls.web->setText(QStringLiteral("Web : ") + page);
    m_controls.web->SetTarget(page);
}
