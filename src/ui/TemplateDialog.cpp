#include "ui/TemplateDialog.h"
#include "ui/HelpRoutine.h"
#include "ui/ProgramIcon.h"
#include "ui/ResourceIds.h"

#include <QKeyEvent>
#include <QPushButton>

CTemplateDialog::CTemplateDialog(const DialogTemplate& dialogTemplate, QWidget* parent,
                                 const ControlFactory& factory)
    : QDialog(parent), m_nHelpId(dialogTemplate.id) {
    const CDialogUnits units = BuildControls(*this, dialogTemplate, factory);
    setWindowTitle(QString::fromUtf8(dialogTemplate.title));
    setWindowIcon(ProgramIcon());
    const QSize size(units.ToPixelsX(dialogTemplate.width), units.ToPixelsY(dialogTemplate.height));
    if (dialogTemplate.style & DialogStyle::kSizingBorder) {
        resize(size);
    } else {
        setFixedSize(size);
    }
    if (dialogTemplate.style & DialogStyle::kMinMaxBoxes) {
        setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    }
    // The two commands every dialog knows, whatever its buttons look like, when it has them.
    if (auto* ok = FindControl<QPushButton>(this, IDOK)) {
        connect(ok, &QPushButton::clicked, this, [this] { accept(); });
    }
    if (auto* cancel = FindControl<QPushButton>(this, IDCANCEL)) {
        connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
    }
}

BoxAnswer CTemplateDialog::Run() {
    return exec() == Accepted ? BoxAnswer::Ok : BoxAnswer::Cancel;
}

void CTemplateDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        RequestHelp(kHelpIdBase + static_cast<uint32_t>(m_nHelpId), HELP_CONTEXT);
        return;
    }
    QDialog::keyPressEvent(event);
}
