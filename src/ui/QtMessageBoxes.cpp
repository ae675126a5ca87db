#include "ui/QtMessageBoxes.h"
#include "ui/InputGuard.h"

#include <QMessageBox>

namespace {

QMessageBox::Icon ToQtIcon(BoxIcon icon) {
    switch (icon) {
        case BoxIcon::Error:
            return QMessageBox::Critical;
        case BoxIcon::Exclamation:
            return QMessageBox::Warning;
        case BoxIcon::Question:
            return QMessageBox::Question;
        case BoxIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQtButtons(BoxButtons buttons) {
    switch (buttons) {
        case BoxButtons::Ok:
            return QMessageBox::Ok;
        case BoxButtons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case BoxButtons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case BoxButtons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

BoxAnswer ToAnswer(int qtButton) {
    switch (qtButton) {
        case QMessageBox::Ok:
            return BoxAnswer::Ok;
        case QMessageBox::Yes:
            return BoxAnswer::Yes;
        case QMessageBox::No:
            return BoxAnswer::No;
        default:
            return BoxAnswer::Cancel;
    }
}

}  // namespace

CQtMessageBoxes::CQtMessageBoxes(QString applicationTitle)
    : m_applicationTitle(std::move(applicationTitle)) {}

BoxAnswer CQtMessageBoxes::ShowBox(const std::string& text, const std::string& caption,
                                   BoxIcon icon, BoxButtons buttons, BoxOwner owner) {
    QWidget* parent = owner == BoxOwner::MainWindow ? m_mainWindow.data() : nullptr;
    return Show(QString::fromStdString(text), QString::fromStdString(caption), icon, buttons,
                parent);
}

BoxAnswer CQtMessageBoxes::ShowAppBox(const std::string& text, BoxIcon icon, BoxButtons buttons) {
    return Show(QString::fromStdString(text), m_applicationTitle, icon, buttons,
                m_mainWindow.data());
}

BoxAnswer CQtMessageBoxes::Show(const QString& text, const QString& caption, BoxIcon icon,
                                BoxButtons buttons, QWidget* owner) {
    QMessageBox box(ToQtIcon(icon), caption, text, ToQtButtons(buttons), owner);
    // The Yes/No questions ask before what cannot be undone: a file sent to the trash, a list
    // file that another program wrote replaced.
    if (buttons == BoxButtons::YesNo) {
        new CInputGuard(box);
    }
    return ToAnswer(box.exec());
}
