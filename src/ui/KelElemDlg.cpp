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

struct RadioValue {
    int id;
    int32_t value;
};

constexpr RadioValue kCheckModeRadios[] = {
    {IDC_ABSOLUTETIME, CHECK_ABSOLUTE_TIME},
    {IDC_FILETIME, CHECK_FILE_TIME},
    {IDC_EXISTENCE, CHECK_EXISTENCE},
    {IDC_DESTRUCTION, CHECK_DESTRUCTION},
};

constexpr RadioValue kWhenRadios[] = {
    {IDC_ATTIME, WHEN_AT_TIME},
    {IDC_ATLAUNCH, WHEN_AT_LAUNCH},
    {IDC_ONDEMAND, WHEN_ON_DEMAND},
    {IDC_PERMANENT, WHEN_PERMANENT},
};

// Times outside this range do not fit the database file's 32-bit time field.
const QDate kFirstDate(1970, 1, 1);
const QDate kLastDate(2038, 1, 18);

enum class MissingName { None, Original, Copy };

// The first file name that the check mode, then the action, needs and does not have.
MissingName FirstMissingName(int32_t checkMode, int32_t action, bool hasOriginal, bool hasCopy) {
    if (checkMode == CHECK_FILE_TIME && !hasOriginal) {
        return MissingName::Original;
    }
    if ((checkMode == CHECK_EXISTENCE || checkMode == CHECK_DESTRUCTION) && !hasCopy) {
        return MissingName::Copy;
    }
    const bool needsOriginal = action == ACTION_COPY_NEW || action == ACTION_DELETE_OLD;
    const bool needsCopy =
        action == ACTION_COPY_NEW || action == ACTION_VIEW_NEW || action == ACTION_DELETE_NEW;
    if (needsOriginal && !hasOriginal) {
        return MissingName::Original;
    }
    if (needsCopy && !hasCopy) {
        return MissingName::Copy;
    }
    return MissingName::None;
}

}  // namespace

CKelElemDlg::CKelElemDlg(CKelElem& element, int32_t& modified, IMessageBoxes& boxes,
                         IFileChooser& files, QWidget* parent)
    : CTemplateDialog(kElementTemplate, parent),
      m_elem(element),
      m_bModified(modified),
      m_boxes(boxes),
      m_files(files) {
    TranslateWindow(*this);
    Initialise();
    ConnectControls();
}

void CKelElemDlg::Initialise() {
    auto* date = Control<QDateEdit>(IDC_REFDATE);
    date->setDateRange(kFirstDate, kLastDate);
    date->setDate(LocalDateOf(m_elem.m_timeReference));
    Control<QTimeEdit>(IDC_REFTIME)->setTime(LocalTimeOf(m_elem.m_timeReference));
    Control<QLineEdit>(IDC_ORIGINAL)->setText(ShownText(m_elem.m_strOriginal));
    Control<QLineEdit>(IDC_COPY)->setText(ShownText(m_elem.m_strCopy));
    Control<QLineEdit>(IDC_DESCRIPTION)->setText(ShownText(m_elem.m_strDescription));
    Control<QComboBox>(IDC_ACTION)->setCurrentIndex(m_elem.m_nAction);
    Control<QComboBox>(IDC_SIGNAL)->setCurrentIndex(m_elem.m_bSignal != 0 ? 0 : 1);
    Control<QTimeEdit>(IDC_ATTIMEVALUE)->setTime(LocalTimeOf(m_elem.m_timeAtTime));
    Control<QCheckBox>(IDC_ACTIVE)->setChecked(m_elem.m_bActive == 1);
    for (const RadioValue& radio : kCheckModeRadios) {
        if (radio.value == m_elem.m_nCheckMode) {
            Control<QRadioButton>(radio.id)->setChecked(true);
            ApplyCheckMode(radio.value);
        }
    }
    for (const RadioValue& radio : kWhenRadios) {
        if (radio.value == m_elem.m_nWhen) {
            Control<QRadioButton>(radio.id)->setChecked(true);
            ApplyWhen(radio.value);
        }
    }
}

void CKelElemDlg::ConnectControls() {
    for (const RadioValue& radio : kCheckModeRadios) {
        connect(Control<QRadioButton>(radio.id), &QRadioButton::clicked, this,
                [this, mode = radio.value] { ApplyCheckMode(mode); });
    }
    for (const RadioValue& radio : kWhenRadios) {
        connect(Control<QRadioButton>(radio.id), &QRadioButton::clicked, this,
                [this, when = radio.value] { ApplyWhen(when); });
    }
    connect(Control<QPushButton>(IDC_BROWSECOPY), &QPushButton::clicked, this,
            &CKelElemDlg::BrowseCopy);
    connect(Control<QPushButton>(IDC_BROWSEORIGINAL), &QPushButton::clicked, this,
            &CKelElemDlg::BrowseOriginal);
}

// Disabled controls keep their contents, and Ok still reads them.
void CKelElemDlg::ApplyCheckMode(int32_t mode) {
    m_nCheckMode = mode;
    const bool absolute = mode == CHECK_ABSOLUTE_TIME;
    const bool fileTime = mode == CHECK_FILE_TIME;
    Control<QWidget>(IDC_REFDATE)->setEnabled(absolute);
    Control<QWidget>(IDC_REFTIME)->setEnabled(absolute);
    Control<QWidget>(IDC_BROWSEORIGINAL)->setEnabled(fileTime);
    Control<QWidget>(IDC_ORIGINAL)->setEnabled(fileTime);
}

void CKelElemDlg::ApplyWhen(int32_t when) {
    m_nWhen = when;
    Control<QWidget>(IDC_ATTIMEVALUE)->setEnabled(when == WHEN_AT_TIME);
}

// An ftp:// or http:// copy has FTP parameters to edit; anything else is a file to pick.
void CKelElemDlg::BrowseCopy() {
    if (!HasRemotePrefix(Text(IDC_COPY).toStdString())) {
        ChooseFileInto(IDC_COPY);
        return;
    }
    CFtpParametersDlg parameters(m_elem, this);
    if (parameters.exec() == IDOK) {
        m_elem.m_strFtpUser = parameters.User();
        m_elem.m_strFtpPassword = parameters.Password();
        m_elem.m_bFtpBinary = parameters.AsciiChoice() == 1 ? 0 : 1;
    }
}

void CKelElemDlg::BrowseOriginal() {
    ChooseFileInto(IDC_ORIGINAL);
}

void CKelElemDlg::ChooseFileInto(int editId) {
    if (const std::optional<QString> path = m_files.ChooseFileToOpen(this)) {
        Control<QLineEdit>(editId)->setText(*path);
    }
}

void CKelElemDlg::accept() {
    if (!NamesSatisfyModes()) {
        return;
    }
    WriteElement();
    m_bModified = 1;
    CTemplateDialog::accept();
}

bool CKelElemDlg::NamesSatisfyModes() {
    const int32_t action = Control<QComboBox>(IDC_ACTION)->currentIndex();
    const MissingName missing = FirstMissingName(
        m_nCheckMode, action, !Text(IDC_ORIGINAL).isEmpty(), !Text(IDC_COPY).isEmpty());
    if (missing == MissingName::None) {
        return true;
    }
    const bool original = missing == MissingName::Original;
    Control<QLineEdit>(original ? IDC_ORIGINAL : IDC_COPY)->setFocus();
    ShowErrorBox(m_boxes, original ? "IDS_ERR_NEEDORIG" : "IDS_ERR_NEEDCOPY", BoxOwner::None);
    return false;
}

void CKelElemDlg::WriteElement() {
    m_elem.m_timeReference = TimeOfLocal(Control<QDateEdit>(IDC_REFDATE)->date(),
                                         Control<QTimeEdit>(IDC_REFTIME)->time());
    m_elem.m_strOriginal = EditedBytes(Text(IDC_ORIGINAL), m_elem.m_strOriginal);
    m_elem.m_strCopy = EditedBytes(Text(IDC_COPY), m_elem.m_strCopy);
    m_elem.m_strDescription = EditedBytes(Text(IDC_DESCRIPTION), m_elem.m_strDescription);
    m_elem.m_nAction = Control<QComboBox>(IDC_ACTION)->currentIndex();
    m_elem.m_bActive = Control<QCheckBox>(IDC_ACTIVE)->isChecked() ? 1 : 0;
    m_elem.m_bSignal = Control<QComboBox>(IDC_SIGNAL)->currentIndex() == 0 ? 1 : 0;
    m_elem.m_nCheckMode = m_nCheckMode;
    m_elem.m_timeAtTime =
        TimeOfLocal(LocalDateOf(m_elem.m_timeAtTime), Control<QTimeEdit>(IDC_ATTIMEVALUE)->time());
    m_elem.m_nWhen = m_nWhen;
}

QString CKelElemDlg::Text(int editId) const {
    return Control<QLineEdit>(editId)->text();
}
