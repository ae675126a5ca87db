#pragma once

#include "ui/DialogTemplate.h"

#include <QFont>
#include <QRect>
#include <QString>
#include <QWidget>

#include <functional>

// Pixel sizes of dialog units for a font: a horizontal unit is a quarter of the average
// width of the 52 Latin letters, rounded up to a whole pixel, a vertical unit an eighth of
// the character height.
class CDialogUnits {
public:
    explicit CDialogUnits(const QFont& font);
    CDialogUnits(int baseWidth, int baseHeight)
        : m_baseWidth(baseWidth), m_baseHeight(baseHeight) {}

    int ToPixelsX(int units) const;
    int ToPixelsY(int units) const;
    QRect ToPixels(int x, int y, int width, int height) const;

private:
    int m_baseWidth;
    int m_baseHeight;
};

// Makes a control the standard kinds do not cover (the main window's list); null to let
// the builder make the standard one.
using ControlFactory = std::function<QWidget*(const ControlTemplate&, QWidget& dialog)>;

// Makes every control of the template as a direct child of `dialog`, in template order,
// placed and sized in the dialog font's units, with its id, text and style bits. Radio
// buttons form exclusive groups that start at each control with the group style.
// Returns the units used, so that the caller can size the dialog itself.
CDialogUnits BuildControls(QWidget& dialog, const DialogTemplate& dialogTemplate,
                           const ControlFactory& factory = {});

// The object name that carries a control's id ("id_1004").
QString ControlName(int id);
// The id a control was built with, or kNoControlId.
int ControlId(const QWidget& control);

// The direct child of `dialog` that has this id and type, or null.
template <class T>
T* FindControl(const QWidget* dialog, int id) {
    return dialog->findChild<T*>(ControlName(id), Qt::FindDirectChildrenOnly);
}

// Stops the program: the code of dialog `dialogId` asks for a control of `type` with this
// id that the dialog's template does not give it.
[[noreturn]] void StopForMissingControl(int dialogId, int id, const char* type);

// The direct child of `dialog`, built from template `dialogId`, that has this id and type.
// Its absence is a fault of the program, found when the dialog is built rather than at the
// first use of the control: it stops the program, naming the template, the id and the type.
template <class T>
T* RequireControl(const QWidget& dialog, int dialogId, int id) {
    T* control = FindControl<T>(&dialog, id);
    if (control == nullptr) {
        StopForMissingControl(dialogId, id, T::staticMetaObject.className());
    }
    return control;
}
