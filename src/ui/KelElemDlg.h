#pragma once

#include "ui/TemplateDialog.h"

#include <cstdint>

class CKelElem;
class IFileChooser;
class IMessageBoxes;

// The element editor: every setting of one watch element except its FTP parameters,
// which a "..." button reaches. The element is written only by Ok, after the checks on
// the two file names; Ok also sets `modified`. The dialog does not own the element.
class CKelElemDlg : public CTemplateDialog {
public:
    CKelElemDlg(CKelElem& element, int32_t& modified, IMessageBoxes& boxes, IFileChooser& files,
                QWidget* parent);

    // The modes of the checked radio buttons; -1 while none is checked.
    int32_t CheckMode() const { return m_nCheckMode; }
    int32_t When() const { return m_nWhen; }

    void accept() override;

private:
    void Initialise();
    void ConnectControls();
    void ApplyCheckMode(int32_t mode);
    void ApplyWhen(int32_t when);
    void BrowseCopy();
    void BrowseOriginal();
    void ChooseFileInto(int editId);
    bool NamesSatisfyModes();
    void WriteElement();

    QString Text(int editId) const;

    CKelElem& m_elem;
    int32_t& m_bModified;
    IMessageBoxes& m_boxes;
    IFileChooser& m_files;
    int32_t m_nCheckMode = -1;
    int32_t m_nWhen = -1;
};
