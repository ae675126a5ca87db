#pragma once

// Every dialog of the program, made by its resource number with sample contents: one list
// for the tests that look at all of them and for the script that renders them.

#include "core/KelElem.h"
#include "core/NoticeTexts.h"
#include "i18n/MessageCatalogue.h"
#include "i18n/TimeStamp.h"
#include "ui/AboutBox.h"
#include "ui/ChooseLanguageDlg.h"
#include "ui/DialogTemplates.h"
#include "ui/FtpParametersDlg.h"
#include "ui/KelElemDlg.h"
#include "ui/NewVersionDlg.h"
#include "ui/ResourceIds.h"
#include "ui/TemplateDialog.h"
#include "ui/TransferDlg.h"
#include "ui/TranslateWindow.h"

#include <QString>
#include <QTreeWidget>

#include <memory>

class IFileChooser;
class IMessageBoxes;

struct DialogResource {
    int resource;
    const char* name;  // a file name's stem
};

inline constexpr DialogResource kEveryDialog[] = {
    {IDD_KELELEM, "element_editor"},         {IDD_FTPPARAMETERS, "ftp_parameters"},
    {IDD_NEWVERSION, "new_version"},         {IDD_TRANSFER, "transfer"},
    {IDD_CHOOSELANGUAGE, "choose_language"}, {IDD_ABOUTBOX, "about"},
    {IDD_MORVANE, "main_window_template"},
};

// An element with every field the dialogs show filled in.
inline CKelElem SampleElement() {
    constexpr TimeValue kSampleTime = 1013332560;  // 10 February 2002, 10:16:00 in Paris
    CKelElem element;
    element.m_strDescription = "Weekly report";
    element.m_strCopy = "ftp://files.example.org/pub/report.pdf";
    element.m_strOriginal = "/home/claire/reports/report.pdf";
    element.m_nCheckMode = CHECK_FILE_TIME;
    element.m_timeReference = kSampleTime;
    element.m_timeAtTime = kSampleTime;
    element.m_nWhen = WHEN_AT_TIME;
    element.m_nAction = ACTION_COPY_NEW;
    return element;
}

// What the dialogs are made with and work on; it outlives them.
struct DialogSamples {
    IMessageBoxes& boxes;
    IFileChooser& files;
    const CSettingsFile& settings;
    CKelElem element = SampleElement();
    bool modified = false;
};

// The dialog of a resource number in the current language, not yet shown; null for a
// number that is no dialog's. The main window is its template with the list's headers.
inline std::unique_ptr<CTemplateDialog> MakeDialog(int resource, DialogSamples& samples) {
    const CKelElem& element = samples.element;
    switch (resource) {
        case IDD_KELELEM:
            return std::make_unique<CKelElemDlg>(samples.element, samples.modified, samples.boxes,
                                                 samples.files, nullptr);
        case IDD_FTPPARAMETERS:
            return std::make_unique<CFtpParametersDlg>(element, nullptr);
        case IDD_NEWVERSION:
            return std::make_unique<CNewVersionDlg>(
                NoticeTexts{GetMessage("IDS_NEWFILEFOUND"), element.m_strCopy,
                            Lookup("IDS_USEOK") + Lookup("IDS_COPYNEW"),
                            FormatTimeStamp(element.m_timeReference)});
        case IDD_TRANSFER: {
            auto transfer = std::make_unique<CTransferDlg>(nullptr, QStringLiteral("Morvane"));
            transfer->SetCaptionFile(element.m_strCopy);
            transfer->SetStatusText("226 Transfer complete");
            transfer->SetTotal(1000);
            transfer->SetDone(420);
            return transfer;
        }
        case IDD_CHOOSELANGUAGE:
            return std::make_unique<CChooseLanguageDlg>(samples.settings);
        case IDD_ABOUTBOX:
            return std::make_unique<CAboutBox>(samples.boxes);
        case IDD_MORVANE: {
            auto window = std::make_unique<CTemplateDialog>(kMainWindowTemplate, nullptr);
            TranslateWindow(*window);
            auto* list = window->Require<QTreeWidget>(IDC_ELEMLIST);
            list->setHeaderLabels({QString::fromStdString(Lookup("IDS_DESCR")),
                                   QString::fromStdString(Lookup("IDS_ACCESS")),
                                   QString::fromStdString(Lookup("IDS_STATE"))});
            list->setColumnWidth(0, 200);
            list->setColumnWidth(1, 150);
            return window;
        }
        default:
            return nullptr;
    }
}
