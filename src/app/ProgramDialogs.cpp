#include "app/ProgramDialogs.h"

#include "app/HelpInstall.h"
#include "ui/AboutBox.h"
#include "ui/ChooseLanguageDlg.h"
#include "ui/KelElemDlg.h"

BoxAnswer CProgramDialogs::EditElement(CKelElem& elem, QWidget* parent, bool& modified) {
    CKelElemDlg dialog(elem, modified, m_boxes, m_files, parent);
    return dialog.Run();
}

void CProgramDialogs::ChooseLanguage(QWidget* parent) {
    CChooseLanguageDlg dialog(m_settings, parent);
    dialog.exec();
}

void CProgramDialogs::ShowAbout(QWidget* parent) {
    CAboutBox dialog(m_boxes, parent);
    dialog.exec();
}

void CProgramDialogs::ShowHelpIndex() {
    ::ShowHelpIndex();
}
