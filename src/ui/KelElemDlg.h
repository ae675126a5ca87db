#pragma once

#include "ui/TemplateDialog.h"

#include <cstdint>

class CKelElem;
class IFileChooser;
class IMessageBoxes;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimeEdit;

// The element editor: every setting of one watch element except its FTP parameters,
// which a "..." button reaches. The element is written only by Ok, after the checks on
// the two file names; Ok also sets `modified`. The dialog does not own the element.
class CKelElemDlg : public CTemplateDialog {
public:
    CKelElemDlg(CKelElem& element, bool& modified, IMessageBoxes& boxes, IFileChooser& files,
                QWidget* parent);

    // The modes of the checked radio buttons; -1 while none is checked.
    int32_t CheckMode() const { return m_nCheckMode; }
    int32_t When() const { return m_nWhen; }

    void accept() override;

private:
    // A radio button and the mode it stands for.
    struct RadioValue {
        QRadioButton* button;
        int32_t value;
    };

    // The controls the editor reads and writes, found once when it is built.
    struct Controls {
        QLineEdit* description;
        QLineEdit* copy;
        QPushButton* browseCopy;
        RadioValue checkModes[4];
        QDateEdit* refDate;
        QTimeEdit* refTime;
        QLineEdit* original;
        QPushButton* browseOriginal;
        RadioValue whens[4];
        QTimeEdit* atTimeValue;
        QComboBox* action;
        QComboBox* signal;
        QCheckBox* active;
    };

    void Initialise();
    void ConnectControls();
    void ApplyCheckMode(int32_t mode);
    void EnableOriginal();
    void ApplyWhen(int32_t when);
    void BrowseCopy();
    void BrowseOriginal();
    void ChooseFileInto(QLineEdit& edit);
    bool NamesSatisfyModes();
    void WriteElement();

    Controls m_controls;
    CKelElem& m_elem;
    bool& m_bModified;
    IMessageBoxes& m_boxes;
    IFileChooser& m_files;
    int32_t m_nCheckMode = -1;
    int32_t m_nWhen = -1;
};
