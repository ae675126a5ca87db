#include "RecordingMessageBoxes.h"
#include "WidgetTestSupport.h"

#include "core/KelElem.h"
#include "i18n/MessageCatalogue.h"
#include "i18n/MessageTables.h"
#include "ui/KelElemDlg.h"
#include "ui/ResourceIds.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>

#include <gtest/gtest.h>

namespace {

// 10 February 2002, 10:16:00 in Paris.
constexpr TimeValue kReference = 1013332560;

class KelElemDlgTest : public ::testing::Test {
protected:
    void SetUp() override { TheCatalogue().SetCurrentLcid(kLcidEnglish); }

    std::unique_ptr<CKelElemDlg> Open() {
        return std::make_unique<CKelElemDlg>(m_elem, m_modified, m_boxes, m_files, nullptr);
    }
    static void Click(const CKelElemDlg& dialog, int id) {
        dialog.Require<QAbstractButton>(id)->click();
    }
    static void SetText(const CKelElemDlg& dialog, int id, const char* text) {
        dialog.Require<QLineEdit>(id)->setText(QString::fromUtf8(text));
    }
    // Typed keys, which a disabled edit refuses.
    static void Type(const CKelElemDlg& dialog, int id, const char* text) {
        QKeyEvent typed(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8(text));
        QApplication::sendEvent(dialog.Require<QLineEdit>(id), &typed);
    }

    CKelElem m_elem;
    bool m_modified = false;
    RecordingMessageBoxes m_boxes;
    ScriptedFileChooser m_files;
};

TEST_F(KelElemDlgTest, FrenchTextsAfterTranslation) {
    TheCatalogue().SetCurrentLcid(kLcidFrench);
    auto dialog = Open();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Modification de l'élément"));
    auto* signal = dialog->Require<QComboBox>(IDC_SIGNAL);
    EXPECT_EQ(signal->itemText(0), QStringLiteral("Oui"));
    EXPECT_EQ(signal->itemText(1), QStringLiteral("Non"));
    EXPECT_EQ(dialog->Require<QComboBox>(IDC_ACTION)->itemText(3),
              QStringLiteral("Détruire le vieux fichier"));
    EXPECT_EQ(dialog->Require<QPushButton>(IDCANCEL)->text(), QStringLiteral("Annule"));
    EXPECT_EQ(dialog->Require<QRadioButton>(IDC_ONDEMAND)->text(),
              QStringLiteral("Seulement sur demande"));
}

TEST_F(KelElemDlgTest, ShowsTheElement) {
    m_elem.m_strDescription = "Report";
    m_elem.m_strCopy = "/srv/report.doc";
    m_elem.m_strOriginal = "/home/me/report.doc";
    m_elem.m_timeReference = kReference;
    m_elem.m_bSignal = 0;
    m_elem.m_nAction = ACTION_DELETE_OLD;
    m_elem.m_bActive = 0;
    m_elem.m_nCheckMode = CHECK_FILE_TIME;
    m_elem.m_nWhen = WHEN_PERMANENT;
    auto dialog = Open();

    EXPECT_EQ(dialog->Require<QLineEdit>(IDC_DESCRIPTION)->text(), QStringLiteral("Report"));
    EXPECT_EQ(dialog->Require<QLineEdit>(IDC_COPY)->text(), QStringLiteral("/srv/report.doc"));
    EXPECT_EQ(dialog->Require<QDateEdit>(IDC_REFDATE)->date(), QDate(2002, 2, 10));
    EXPECT_EQ(dialog->Require<QTimeEdit>(IDC_REFTIME)->time(), QTime(10, 16, 0));
    EXPECT_EQ(dialog->Require<QComboBox>(IDC_SIGNAL)->currentIndex(), 1);
    EXPECT_EQ(dialog->Require<QComboBox>(IDC_ACTION)->currentIndex(), ACTION_DELETE_OLD);
    EXPECT_FALSE(dialog->Require<QCheckBox>(IDC_ACTIVE)->isChecked());
    EXPECT_TRUE(dialog->Require<QRadioButton>(IDC_FILETIME)->isChecked());
    EXPECT_TRUE(dialog->Require<QRadioButton>(IDC_PERMANENT)->isChecked());
    EXPECT_EQ(dialog->CheckMode(), CHECK_FILE_TIME);
    EXPECT_EQ(dialog->When(), WHEN_PERMANENT);
}

TEST_F(KelElemDlgTest, ModeOutsideItsRangeChecksNoRadio) {
    m_elem.m_nCheckMode = 7;
    auto dialog = Open();
    for (const int id : {IDC_ABSOLUTETIME, IDC_FILETIME, IDC_EXISTENCE, IDC_DESTRUCTION}) {
        EXPECT_FALSE(dialog->Require<QRadioButton>(id)->isChecked()) << id;
    }
    EXPECT_EQ(dialog->CheckMode(), -1);
    EXPECT_TRUE(dialog->Require<QWidget>(IDC_ORIGINAL)->isEnabled());
    EXPECT_TRUE(dialog->Require<QWidget>(IDC_REFDATE)->isEnabled());
}

// The pickers follow the check mode, the at-time picker the when mode; the original's name
// and its "..." follow the check mode and the action together, whichever of them changes.
TEST_F(KelElemDlgTest, RadiosAndActionEnableTheirControls) {
    struct Case {
        int radio;
        int32_t action;
        bool pickers;   // 1004, 1006
        bool original;  // 1008, 1010
    };
    // In this order each step changes the mode, the action or both.
    const Case checkModes[] = {
        {IDC_EXISTENCE, ACTION_COPY_NEW, false, true},
        {IDC_EXISTENCE, ACTION_NOTHING, false, false},
        {IDC_EXISTENCE, ACTION_DELETE_OLD, false, true},
        {IDC_ABSOLUTETIME, ACTION_DELETE_OLD, true, true},
        {IDC_ABSOLUTETIME, ACTION_VIEW_NEW, true, false},
        {IDC_FILETIME, ACTION_VIEW_NEW, false, true},
        {IDC_FILETIME, ACTION_NOTHING, false, true},
        {IDC_DESTRUCTION, ACTION_NOTHING, false, false},
        {IDC_ABSOLUTETIME, ACTION_COPY_NEW, true, true},
        {IDC_DESTRUCTION, ACTION_DELETE_NEW, false, false},
    };
    auto dialog = Open();
    for (const Case& c : checkModes) {
        SCOPED_TRACE(testing::Message() << "radio " << c.radio << " action " << c.action);
        Click(*dialog, c.radio);
        dialog->Require<QComboBox>(IDC_ACTION)->setCurrentIndex(c.action);
        EXPECT_EQ(dialog->Require<QWidget>(IDC_REFDATE)->isEnabled(), c.pickers);
        EXPECT_EQ(dialog->Require<QWidget>(IDC_REFTIME)->isEnabled(), c.pickers);
        EXPECT_EQ(dialog->Require<QWidget>(IDC_ORIGINAL)->isEnabled(), c.original);
        EXPECT_EQ(dialog->Require<QWidget>(IDC_BROWSEORIGINAL)->isEnabled(), c.original);
    }
    const std::pair<int, bool> whenModes[] = {
        {IDC_ATLAUNCH, false}, {IDC_ATTIME, true}, {IDC_ONDEMAND, false}, {IDC_PERMANENT, false}};
    for (const auto& [radio, atTimeEnabled] : whenModes) {
        Click(*dialog, radio);
        EXPECT_EQ(dialog->Require<QWidget>(IDC_ATTIMEVALUE)->isEnabled(), atTimeEnabled) << radio;
    }
    EXPECT_EQ(dialog->When(), WHEN_PERMANENT);
}

// A new element (Existence, Copy), as New and a dropped file open it: the original that Ok
// asks for can be typed or chosen, and Ok then takes it.
TEST_F(KelElemDlgTest, NewElementTakesTheOriginalItsActionNeeds) {
    m_elem.m_strDescription = "report";
    m_elem.m_strCopy = "/srv/report.txt";
    for (const bool typed : {true, false}) {
        SCOPED_TRACE(typed ? "typed" : "chosen");
        m_elem.m_strOriginal.clear();
        auto dialog = Open();
        EXPECT_TRUE(dialog->Require<QRadioButton>(IDC_EXISTENCE)->isChecked());
        EXPECT_EQ(dialog->Require<QComboBox>(IDC_ACTION)->currentIndex(), ACTION_COPY_NEW);
        if (typed) {
            Type(*dialog, IDC_ORIGINAL, "/home/me/report.txt");
        } else {
            m_files.AnswerNext(QStringLiteral("/home/me/report.txt"));
            Click(*dialog, IDC_BROWSEORIGINAL);
        }
        Click(*dialog, IDOK);
        EXPECT_TRUE(m_boxes.Boxes().empty());
        EXPECT_EQ(dialog->result(), QDialog::Accepted);
        EXPECT_EQ(m_elem.m_strOriginal, "/home/me/report.txt");
        EXPECT_EQ(m_elem.m_nCheckMode, CHECK_EXISTENCE);
        EXPECT_EQ(m_elem.m_nAction, ACTION_COPY_NEW);
    }
}

TEST_F(KelElemDlgTest, OkChecksNamesInOrderAndFocusesTheEmptyOne) {
    struct Case {
        int32_t checkMode;
        int32_t action;
        const char* original;
        const char* copy;
        const char* expected;  // the error box's text; null: accepted
        int focus;
    };
    // As the user reads them, the tab in the second one included.
    const char* const needCopy =
        "You cannot use this option if the remote copy file name is not filled.";
    const char* const needOriginal =
        "You\tcannot use this option if the local original file name is not filled.";
    const Case cases[] = {
        {CHECK_EXISTENCE, ACTION_NOTHING, "", "", needCopy, IDC_COPY},
        {CHECK_DESTRUCTION, ACTION_NOTHING, "o", "", needCopy, IDC_COPY},
        {CHECK_ABSOLUTE_TIME, ACTION_NOTHING, "", "", nullptr, 0},
        {CHECK_FILE_TIME, ACTION_DELETE_NEW, "", "", needOriginal, IDC_ORIGINAL},
        {CHECK_FILE_TIME, ACTION_DELETE_NEW, "o", "", needCopy, IDC_COPY},
        {CHECK_ABSOLUTE_TIME, ACTION_COPY_NEW, "", "", needOriginal, IDC_ORIGINAL},
        {CHECK_ABSOLUTE_TIME, ACTION_COPY_NEW, "o", "", needCopy, IDC_COPY},
        {CHECK_ABSOLUTE_TIME, ACTION_VIEW_NEW, "", "", needCopy, IDC_COPY},
        {CHECK_ABSOLUTE_TIME, ACTION_DELETE_OLD, "", "c", needOriginal, IDC_ORIGINAL},
        {CHECK_EXISTENCE, ACTION_DELETE_OLD, "o", "c", nullptr, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "mode " << c.checkMode << " action " << c.action << " original '"
                     << c.original << "' copy '" << c.copy << "'");
        m_elem = CKelElem();
        m_elem.m_nCheckMode = c.checkMode;
        m_elem.m_nAction = c.action;
        m_elem.m_strOriginal = c.original;
        m_elem.m_strCopy = c.copy;
        m_modified = false;
        RecordingMessageBoxes boxes;
        CKelElemDlg dialog(m_elem, m_modified, boxes, m_files, nullptr);
        SetText(dialog, IDC_DESCRIPTION, "changed");
        Click(dialog, IDOK);

        if (c.expected == nullptr) {
            EXPECT_TRUE(boxes.Boxes().empty());
            EXPECT_EQ(dialog.result(), QDialog::Accepted);
            EXPECT_TRUE(m_modified);
            EXPECT_EQ(m_elem.m_strDescription, "changed");
            continue;
        }
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        const RecordingMessageBoxes::Box box = boxes.Boxes()[0];
        EXPECT_EQ(box.text, c.expected);
        EXPECT_EQ(box.caption, "ERROR");
        EXPECT_EQ(box.icon, BoxIcon::Error);
        EXPECT_EQ(box.buttons, BoxButtons::Ok);
        // The empty name is open to the user, who is taken there.
        auto* empty = dialog.Require<QWidget>(c.focus);
        EXPECT_TRUE(empty->isEnabled());
        EXPECT_EQ(dialog.focusWidget(), empty);
        EXPECT_NE(dialog.result(), QDialog::Accepted) << "the dialog stays open";
        EXPECT_FALSE(m_modified);
        EXPECT_EQ(m_elem.m_strDescription, "") << "nothing is written";
    }
}

TEST_F(KelElemDlgTest, DisabledOriginalIsStillWritten) {
    m_elem.m_nCheckMode = CHECK_FILE_TIME;
    m_elem.m_nAction = ACTION_NOTHING;
    auto dialog = Open();
    SetText(*dialog, IDC_ORIGINAL, "/home/me/kept.txt");
    SetText(*dialog, IDC_COPY, "/srv/kept.txt");
    Click(*dialog, IDC_EXISTENCE);
    EXPECT_FALSE(dialog->Require<QWidget>(IDC_ORIGINAL)->isEnabled());
    Click(*dialog, IDOK);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(m_elem.m_strOriginal, "/home/me/kept.txt");
    EXPECT_EQ(m_elem.m_nCheckMode, CHECK_EXISTENCE);
}

TEST_F(KelElemDlgTest, OkWritesEveryEditedFieldAndNothingElse) {
    m_elem.m_nState = STATE_NEW_VERSION;
    m_elem.m_timeLastAccess = 123456;
    m_elem.m_strFtpUser = "alice";
    m_elem.m_timeAtTime = kReference;
    auto dialog = Open();
    SetText(*dialog, IDC_DESCRIPTION, "Weekly report");
    SetText(*dialog, IDC_COPY, "/srv/weekly.pdf");
    SetText(*dialog, IDC_ORIGINAL, "/home/me/weekly.pdf");
    Click(*dialog, IDC_ABSOLUTETIME);
    dialog->Require<QDateEdit>(IDC_REFDATE)->setDate(QDate(2002, 2, 10));
    dialog->Require<QTimeEdit>(IDC_REFTIME)->setTime(QTime(8, 30, 15));
    Click(*dialog, IDC_ATTIME);
    dialog->Require<QTimeEdit>(IDC_ATTIMEVALUE)->setTime(QTime(22, 5, 9));
    dialog->Require<QComboBox>(IDC_ACTION)->setCurrentIndex(ACTION_VIEW_NEW);
    dialog->Require<QComboBox>(IDC_SIGNAL)->setCurrentIndex(1);
    dialog->Require<QCheckBox>(IDC_ACTIVE)->setChecked(false);
    Click(*dialog, IDOK);

    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(m_modified);
    CKelElem expected;
    expected.m_strDescription = "Weekly report";
    expected.m_strCopy = "/srv/weekly.pdf";
    expected.m_strOriginal = "/home/me/weekly.pdf";
    expected.m_nCheckMode = CHECK_ABSOLUTE_TIME;
    expected.m_timeReference = 1013326215;  // 2002-02-10 08:30:15 in Paris
    expected.m_nWhen = WHEN_AT_TIME;
    expected.m_timeAtTime = 1013375109;  // the same day as before, at 22:05:09
    expected.m_nAction = ACTION_VIEW_NEW;
    expected.m_bSignal = 0;
    expected.m_bActive = 0;
    expected.m_nState = STATE_NEW_VERSION;
    expected.m_timeLastAccess = 123456;
    expected.m_strFtpUser = "alice";
    EXPECT_EQ(m_elem, expected);
}

TEST_F(KelElemDlgTest, SummerDateTakesSummerTime) {
    m_elem.m_nCheckMode = CHECK_ABSOLUTE_TIME;
    m_elem.m_timeReference = kReference;  // a winter date
    m_elem.m_nAction = ACTION_NOTHING;
    auto dialog = Open();
    dialog->Require<QDateEdit>(IDC_REFDATE)->setDate(QDate(2003, 7, 1));
    dialog->Require<QTimeEdit>(IDC_REFTIME)->setTime(QTime(22, 5, 9));
    Click(*dialog, IDOK);
    EXPECT_EQ(m_elem.m_timeReference, 1057089909);  // 2003-07-01 22:05:09 CEST
}

TEST_F(KelElemDlgTest, CancelWritesNothing) {
    const CKelElem before = m_elem;
    auto dialog = Open();
    SetText(*dialog, IDC_DESCRIPTION, "changed");
    Click(*dialog, IDC_PERMANENT);
    OnNextModal([&dialog](QDialog&) { Click(*dialog, IDCANCEL); });
    EXPECT_EQ(dialog->Run(), BoxAnswer::Cancel);
    EXPECT_EQ(m_elem, before);
    EXPECT_FALSE(m_modified);
}

TEST_F(KelElemDlgTest, UnchangedTextsKeepTheirBytes) {
    m_elem.m_strDescription = "Caf\xe9 menu";  // Windows-1252, as old lists hold it
    m_elem.m_nCheckMode = CHECK_ABSOLUTE_TIME;
    m_elem.m_nAction = ACTION_NOTHING;
    auto dialog = Open();
    EXPECT_EQ(dialog->Require<QLineEdit>(IDC_DESCRIPTION)->text(), QStringLiteral("Café menu"));
    Click(*dialog, IDOK);
    EXPECT_EQ(m_elem.m_strDescription, "Caf\xe9 menu");
}

TEST_F(KelElemDlgTest, BrowseButtonsChooseFilesForLocalCopies) {
    auto dialog = Open();
    m_files.AnswerNext(QStringLiteral("/data/chosen.txt"));
    SetText(*dialog, IDC_COPY, "FTP://host/file");  // not a remote prefix: case matters
    Click(*dialog, IDC_BROWSECOPY);
    EXPECT_EQ(m_files.Calls(), 1);
    EXPECT_EQ(dialog->Require<QLineEdit>(IDC_COPY)->text(), QStringLiteral("/data/chosen.txt"));

    m_files.AnswerNext(std::nullopt);
    Click(*dialog, IDC_BROWSECOPY);
    EXPECT_EQ(dialog->Require<QLineEdit>(IDC_COPY)->text(), QStringLiteral("/data/chosen.txt"));

    m_files.AnswerNext(QStringLiteral("/home/me/original.txt"));
    Click(*dialog, IDC_FILETIME);
    Click(*dialog, IDC_BROWSEORIGINAL);
    EXPECT_EQ(dialog->Require<QLineEdit>(IDC_ORIGINAL)->text(),
              QStringLiteral("/home/me/original.txt"));
    EXPECT_EQ(m_files.Calls(), 3);
}

TEST_F(KelElemDlgTest, RemoteCopyButtonEditsFtpParametersAtOnce) {
    for (const char* address :
         {"ftp://host/pub/a.zip", "ftps://host/pub/a.zip", "ftpes://host/pub/a.zip",
          "http://host/page.htm", "https://host/page.htm"}) {
        m_elem = CKelElem();
        auto dialog = Open();
        SetText(*dialog, IDC_COPY, address);
        OnNextModal([](QDialog& parameters) {
            parameters.findChild<QLineEdit*>(QStringLiteral("id_1017"))
                ->setText(QStringLiteral("bob"));
            parameters.findChild<QLineEdit*>(QStringLiteral("id_1018"))
                ->setText(QStringLiteral("s3cret"));
            parameters.findChild<QRadioButton*>(QStringLiteral("id_1020"))->click();
            parameters.findChild<QPushButton*>(QStringLiteral("id_1"))->click();
        });
        Click(*dialog, IDC_BROWSECOPY);
        EXPECT_EQ(m_files.Calls(), 0) << address;
        EXPECT_EQ(m_elem.m_strFtpUser, "bob") << address;
        EXPECT_EQ(m_elem.m_strFtpPassword, "s3cret") << address;
        EXPECT_EQ(m_elem.m_bFtpBinary, 0) << address;

        // The FTP values stay in the element even when the editor is cancelled: the caller
        // discards that element.
        Click(*dialog, IDCANCEL);
        EXPECT_EQ(m_elem.m_strFtpUser, "bob");
    }
}

TEST_F(KelElemDlgTest, CancelledFtpParametersChangeNothing) {
    m_elem.m_strCopy = "ftp://host/pub/a.zip";
    m_elem.m_strFtpPassword = "old";
    const CKelElem before = m_elem;
    auto dialog = Open();
    OnNextModal([](QDialog& parameters) {
        parameters.findChild<QLineEdit*>(QStringLiteral("id_1017"))->setText(QStringLiteral("bob"));
        parameters.findChild<QRadioButton*>(QStringLiteral("id_1020"))->click();
        parameters.reject();
    });
    Click(*dialog, IDC_BROWSECOPY);
    EXPECT_EQ(m_elem, before);
}

}  // namespace
