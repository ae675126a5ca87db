#pragma once

#include "ui/DialogBuilder.h"
#include "ui/DialogTemplate.h"

#include <QDialog>

// A dialog made from its template: the controls, the title and the size of the
// template. It ends with 1 for Ok and 2 for Cancel, Escape or the close box, and F1
// asks for help on its resource number.
class CTemplateDialog : public QDialog {
public:
    CTemplateDialog(const DialogTemplate& dialogTemplate, QWidget* parent,
                    const ControlFactory& factory = {});

    int HelpId() const { return m_nHelpId; }

    // The control with this id and type, which the template must give: see RequireControl.
    template <class T>
    T* Require(int id) const {
        return RequireControl<T>(*this, m_nHelpId, id);
    }

    void accept() override;
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    int m_nHelpId;
};
