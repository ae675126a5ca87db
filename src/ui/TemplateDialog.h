#pragma once

#include "ui/DialogBuilder.h"
#include "ui/DialogTemplate.h"

#include "i18n/MessageBoxes.h"

#include <QDialog>

// A dialog made from its template: the controls, the title and the size of the
// template. Ok accepts it; Cancel, Escape and the close box reject it. F1 asks for help on
// its resource number.
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

    // Runs the dialog modally: Ok when it was accepted, otherwise Cancel.
    BoxAnswer Run();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    int m_nHelpId;
};
