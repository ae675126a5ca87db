#include "ui/KelElemDlg.h"
#include "ui/DialogTemplates.h"
#include "ui/ElementText.h"
#include "ui/FileChooser.h"
#include "ui/FtpParametersDlg.h"
#include "ui/LocalTime.h"
#include "ui/ResourceIds.h"
#include "ui/TranslateWindow.h"

#include "core/KelElem.h"
#include "i18n/MessageBoxes.h"
#include "remote/Address.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>

namespace {

// Times outside this range do not fit the database file's 32-bit time field.
const QDate kFirstDate(1970, 1, 1);
const QDate kLastDate(2038, 1, 18);

enum class MissingName { None, Original, Copy };

bool ActionNeedsOriginal(int32_t action) {
    return action == ACTION_COPY_NEW || action == ACTION_DELETE_OLD;
}

// The first file name that the check mode, then the action, needs and does not have.
MissingName FirstMissingName(int32_t checkMode, int32_t action, bool hasOriginal, bool hasCopy) {
    if (checkMode == CHECK_FILE_TIME && !hasOriginal) {
        return MissingName::Original;
    }
    if ((checkMode == CHECK_EXISTENCE || checkMode == CHECK_DESTRUCTION) && !hasCopy) {
        return MissingName::Copy;
    }
    const bool needsCopy =
        action == ACTION_COPY_NEW || action == ACTION_VIEW_NEW || action == ACTION_DELETE_NEW;
    if (ActionNeedsOriginal(action) && !hasOriginal) {
        return MissingName::Original;
    }
    if (needsCopy && !hasCopy) {
        return MissingName::Copy;
    }
    return MissingName::None;
}

}  // namespace

CKelElemDlg::CKelElemDlg(CKelElem& element, bool& modified, IMessageBoxes& boxes,
                         IFileChooser& files, QWidget* parent)
    : CTemplateDialog(kElementTemplate, parent),
      m_controls{.description = Require<QLineEdit>(IDC_DESCRIPTION),
                 .copy = Require<QLineEdit>(IDC_COPY),
                 .browseCopy = Require<QPushButton>(IDC_BROWSECOPY),
                 .checkModes = {{Require<QRadioButton>(IDC_ABSOLUTETIME), CHECK_ABSOLUTE_TIME},
                                {Require<QRadioButton>(IDC_FILETIME), CHECK_FILE_TIME},
                                {Require<QRadioButton>(IDC_EXISTENCE), CHECK_EXISTENCE},
                                {Require<QRadioButton>(IDC_DESTRUCTION), CHECK_DESTRUCTION}},
                 .refDate = Require<QDateEdit>(IDC_REFDATE),
                 .refTime = Require<QTimeEdit>(IDC_REFTIME),
                 .original = Require<QLineEdit>(IDC_ORIGINAL),
                 .browseOriginal = Require<QPushButton>(IDC_BROWSEORIGINAL),
                 .whens = {{Require<QRadioButton>(IDC_ATTIME), WHEN_AT_TIME},
                           {Require<QRadioButton>(IDC_ATLAUNCH), WHEN_AT_LAUNCH},
                           {Require<QRadioButton>(IDC_ONDEMAND), WHEN_ON_DEMAND},
                           {Require<QRadioButton>(IDC_PERMANENT), WHEN_PERMANENT}},
                 .atTimeValue = Require<QTimeEdit>(IDC_ATTIMEVALUE),
                 .action = Require<QComboBox>(IDC_ACTION),
                 .signal = Require<QComboBox>(IDC_SIGNAL),
                 .active = Require<QCheckBox>(IDC_ACTIVE)},
      m_elem(element),
      m_bModified(modified),
      m_boxes(boxes),
      m_files(files) {
    TranslateWindow(*this);
    Initialise();
    ConnectControls();
}

void CKelElemDlg::Initialise() {
    m_controls.refDate->setDateRange(kFirstDate, kLastDate);
    m_controls.refDate->setDate(LocalDateOf(m_elem.m_timeReference));
    m_controls.refTime->setTime(LocalTimeOf(m_elem.m_timeReference));
    m_controls.original->setText(ShownText(m_elem.m_strOriginal));
    m_controls.copy->setText(ShownText(m_elem.m_strCopy));
    m_controls.description->setText(ShownText(m_elem.m_strDescription));
    m_controls.action->setCurrentIndex(m_elem.m_nAction);
    m_controls.signal->setCurrentIndex(m_elem.m_bSignal != 0 ? 0 : 1);
    m_controls.atTimeValue->setTime(LocalTimeOf(m_elem.m_timeAtTime));
    m_controls.active->setChecked(m_elem.m_bActive == 1);
    for (const RadioValue& radio : m_controls.checkModes) {
        if (radio.value == m_elem.m_nCheckMode) {
            radio.button->setChecked(true);
            ApplyCheckMode(radio.value);
        }
    }
    for (const RadioValue& radio : m_controls.whens) {
        if (radio.value == m_elem.m_nWhen) {
            radio.button->setChecked(true);
            ApplyWhen(radio.value);
        }
    }
}

void CKelElemDlg::ConnectControls() {
    for (const RadioValue& radio : m_controls.checkModes) {
        connect(radio.button, &QRadioButton::clicked, this,
                [this, mode = radio.value] { ApplyCheckMode(mode); });
    }
    for (const RadioValue& radio : m_controls.whens) {
        connect(radio.button, &QRadioButton::clicked, this,
                [this, when = radio.value] { ApplyWhen(when); });
    }
    connect(m_controls.action, &QComboBox::currentIndexChanged, this, &CKelElemDlg::EnableOriginal);
    connect(m_controls.browseCopy, &QPushButton::clicked, this, &CKelElemDlg::BrowseCopy);
    connect(m_controls.browseOriginal, &QPushButton::clicked, this, &CKelElemDlg::BrowseOriginal);
}

// Disabled controls keep their contents, and Ok still reads them.
void CKelElemDlg::ApplyCheckMode(int32_t mode) {
    m_nCheckMode = mode;
    const bool absolute = mode == CHECK_ABSOLUTE_TIME;
    m_controls.refDate->setEnabled(absolute);
    m_controls.refTime->setEnabled(absolute);
    EnableOriginal();
}

// The original's name is open to the user whenever Ok may ask for it: for file time and
// for the actions that work on the original.
void CKelElemDlg::EnableOriginal() {
    const bool used =
        m_nCheckMode == CHECK_FILE_TIME || ActionNeedsOriginal(m_controls.action->currentIndex());
    m_controls.original->setEnabled(used);
    m_controls.browseOriginal->setEnabled(used);
}

void CKelElemDlg::ApplyWhen(int32_t when) {
    m_nWhen = when;
    m_controls.atTimeValue->setEnabled(when == WHEN_AT_TIME);
}

// An ftp:// or http:// copy has FTP parameters to edit; anything else is a file to pick.
void CKelElemDlg::BrowseCopy() {
    if (!HasRemotePrefix(m_controls.copy->text().toStdString())) {
        ChooseFileInto(*m_controls.copy);
        return;
    }
    CFtpParametersDlg parameters(m_elem, this);
    if (parameters.Run() == BoxAnswer::Ok) {
        m_elem.m_strFtpUser = parameters.User();
        m_elem.m_strFtpPassword = parameters.Password();
        m_elem.m_bFtpBinary = parameters.AsciiChosen() ? 0 : 1;
    }
}

void CKelElemDlg::BrowseOriginal() {
    ChooseFileInto(*m_controls.original);
}

void CKelElemDlg::ChooseFileInto(QLineEdit& edit) {
    if (const std::optional<QString> path = m_files.ChooseFileToOpen(this)) {
        edit.setText(*path);
    }
}

void CKelElemDlg::accept() {
    if (!NamesSatisfyModes()) {
        return;
    }
    WriteElement();
    m_bModified = true;
    CTemplateDialog::accept();
}

bool CKelElemDlg::NamesSatisfyModes() {
    const MissingName missing = FirstMissingName(m_nCheckMode, m_controls.action->currentIndex(),
                                                 !m_controls.original->text().isEmpty(),
                                                 !m_controls.copy->text().isEmpty());
    if (missing == MissingName::None) {
        return true;
    }
    const bool original = missing == MissingName::Original;
    (original ? m_controls.original : m_controls.copy)->setFocus();
    ShowErrorBox(m_boxes, original ? "IDS_ERR_NEEDORIG" : "IDS_ERR_NEEDCOPY", BoxOwner::None);
    return false;
}

void CKelElemDlg::WriteElement() {
    m_elem.m_timeReference = TimeOfLocal(m_controls.refDate->date(), m_controls.refTime->time());
    m_elem.m_strOriginal = EditedBytes(m_controls.original->text(), m_elem.m_strOriginal);
    m_elem.m_strCopy = EditedBytes(m_controls.copy->text(), m_elem.m_strCopy);
    m_elem.m_strDescription = EditedBytes(m_controls.description->text(), m_elem.m_strDescription);
    m_elem.m_nAction = m_controls.action->currentIndex();
    m_elem.m_bActive = m_controls.active->isChecked() ? 1 : 0;
    m_elem.m_bSignal = m_controls.signal->currentIndex() == 0 ? 1 : 0;
    m_elem.m_nCheckMode = m_nCheckMode;
    m_elem.m_timeAtTime =
        TimeOfLocal(LocalDateOf(m_elem.m_timeAtTime), m_controls.atTimeValue->time());
    m_elem.m_nWhen = m_nWhen;
}
