#pragma once

#include "ui/LinkLabel.h"
#include "ui/TemplateDialog.h"

class IMessageBoxes;

// The about box: product and version, a mail link and a link to the web page of the
// interface language. The links are built afresh at every opening.
class CAboutBox : public CTemplateDialog {
public:
    explicit CAboutBox(IMessageBoxes& boxes, QWidget* parent = nullptr);

    // How the two links open their targets (the desktop's opener by default).
    void SetLinkOpener(const LinkOpener& opener);

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The controls the box fills in, found once when it is built.
    struct Controls {
        CLinkLabel* mail;
        CLinkLabel* web;
    };

    void SetUpLinks();

    Controls m_controls;
};

// Where the mail link writes to.
inline constexpr char kContactAddress[] = "contact@morvane.example.org";
