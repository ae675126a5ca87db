#include "core/CheckEngine.h"

#include "core/KelElem.h"
#include "i18n/TimeStamp.h"

#include "CheckFakes.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

namespace {

void WriteFileAt(const std::string& path, TimeValue modified, const std::string& bytes = "x") {
    WriteWholeFile(path, bytes);
    ASSERT_TRUE(SetFileTimes(path, modified, modified));
}

class CheckEngineTest : public ::testing::Test {
protected:
    CKelElem LocalElement(int32_t mode, TimeValue reference) const {
        CKelElem elem;
        elem.m_nCheckMode = mode;
        elem.m_timeReference = reference;
        elem.m_strCopy = m_dir.File("new.txt");
        elem.m_strOriginal = m_dir.File("old.txt");
        elem.m_nAction = ACTION_NOTHING;
        return elem;
    }

    TempDir m_dir;
    CheckFixture m_env;
    const TimeValue m_now = m_env.clock.now;
};

TEST_F(CheckEngineTest, InactiveElementIsLeftUntouched) {
    CKelElem elem = LocalElement(CHECK_ABSOLUTE_TIME, 0);
    WriteFileAt(elem.m_strCopy, 500);
    elem.m_bActive = 0;
    elem.m_nState = STATE_NO_INTERNET;
    elem.m_timeLastAccess = 42;
    const CKelElem before = elem;
    CheckElement(elem, nullptr, m_env.context);
    EXPECT_EQ(elem, before);
    EXPECT_TRUE(m_env.notice.shown.empty());
}

// One check of a local copy per row: what the copy and the original look like, and what
// the check leaves in the element.
TEST_F(CheckEngineTest, LocalOutcomes) {
    struct Case {
        const char* name;
        int32_t mode;
        TimeValue reference;
        std::optional<TimeValue> copyTime;      // nullopt: no copy
        std::optional<TimeValue> originalTime;  // nullopt: no original
        int32_t state;
        TimeValue referenceAfter;
        const char* head;  // nullptr: no notice
    };
    const TimeValue now = m_now;
    const Case cases[] = {
        {"absolute, equal times",
         CHECK_ABSOLUTE_TIME,
         500,
         500,
         {},
         STATE_NO_NEW_VERSION,
         500,
         nullptr},
        {"absolute, one second later",
         CHECK_ABSOLUTE_TIME,
         500,
         501,
         {},
         STATE_NEW_VERSION,
         500,
         "New file version found !\n\n"},
        {"absolute, before 1970",
         CHECK_ABSOLUTE_TIME,
         -100,
         -50,
         {},
         STATE_NEW_VERSION,
         -100,
         "New file version found !\n\n"},
        {"absolute, no copy",
         CHECK_ABSOLUTE_TIME,
         -100,
         {},
         {},
         STATE_NO_NEW_VERSION,
         -100,
         nullptr},
        {"file time, copy newer", CHECK_FILE_TIME, 0, 800, 700, STATE_NEW_VERSION, 0,
         "New file version found !\n\n"},
        // Both past the 32-bit range (2039 and 2040): still told apart.
        {"file time, after 2038", CHECK_FILE_TIME, 0, 2240000000, 2200000000, STATE_NEW_VERSION, 0,
         "New file version found !\n\n"},
        {"absolute, after 2038",
         CHECK_ABSOLUTE_TIME,
         2200000000,
         2200000060,
         {},
         STATE_NEW_VERSION,
         2200000000,
         "New file version found !\n\n"},
        {"file time, equal", CHECK_FILE_TIME, 0, 700, 700, STATE_NO_NEW_VERSION, 0, nullptr},
        {"file time, copy older", CHECK_FILE_TIME, 0, 600, 700, STATE_NO_NEW_VERSION, 0, nullptr},
        {"file time, no original",
         CHECK_FILE_TIME,
         0,
         10,
         {},
         STATE_NEW_VERSION,
         0,
         "New file version found !\n\n"},
        {"file time, no copy", CHECK_FILE_TIME, 0, {}, {}, STATE_NO_NEW_VERSION, 0, nullptr},
        {"existence, created",
         CHECK_EXISTENCE,
         500,
         900,
         {},
         STATE_NEW_VERSION,
         900,
         "File created !\n\n"},
        {"existence, older copy",
         CHECK_EXISTENCE,
         500,
         400,
         {},
         STATE_NO_NEW_VERSION,
         500,
         nullptr},
        {"existence, no copy", CHECK_EXISTENCE, 500, {}, {}, STATE_NO_NEW_VERSION, 500, nullptr},
        {"destruction, copy present",
         CHECK_DESTRUCTION,
         500,
         900,
         {},
         STATE_NO_NEW_VERSION,
         500,
         nullptr},
        {"destruction, copy missing",
         CHECK_DESTRUCTION,
         500,
         {},
         {},
         STATE_NEW_VERSION,
         now,
         "File deleted !\n\n"},
        {"destruction, reported this second",
         CHECK_DESTRUCTION,
         now,
         {},
         {},
         STATE_NO_NEW_VERSION,
         now,
         nullptr},
        {"mode out of range", 4, 500, 900, {}, STATE_NOT_CHECKED, 500, nullptr},
        {"negative mode", -1, 500, 900, {}, STATE_NOT_CHECKED, 500, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CKelElem elem = LocalElement(c.mode, c.reference);
        std::filesystem::remove(elem.m_strCopy);
        std::filesystem::remove(elem.m_strOriginal);
        if (c.copyTime) {
            WriteFileAt(elem.m_strCopy, *c.copyTime);
        }
        if (c.originalTime) {
            WriteFileAt(elem.m_strOriginal, *c.originalTime);
        }
        m_env.notice.shown.clear();

        CheckElement(elem, nullptr, m_env.context);

        EXPECT_EQ(elem.m_nState, c.state);
        EXPECT_EQ(elem.m_timeLastAccess, now);
        EXPECT_EQ(elem.m_timeReference, c.referenceAfter);
        EXPECT_EQ(elem.m_bActive, 1);
        if (c.head) {
            ASSERT_EQ(m_env.notice.shown.size(), 1u);
            EXPECT_EQ(m_env.notice.shown[0].message, c.head + elem.m_strCopy);
        } else {
            EXPECT_TRUE(m_env.notice.shown.empty());
        }
    }
    EXPECT_TRUE(m_env.boxes.Boxes().empty());
}

TEST_F(CheckEngineTest, NoticeCarriesMessageCopyAndCheckTime) {
    CKelElem elem = LocalElement(CHECK_FILE_TIME, 0);
    elem.m_strCopy = m_dir.File("my report.doc");
    elem.m_nAction = ACTION_VIEW_NEW;
    WriteFileAt(elem.m_strCopy, 800);
    WriteFileAt(elem.m_strOriginal, 700);
    m_env.clock.now = LocalTimeValue(2002, 2, 10, 10, 16, 0);

    CheckElement(elem, nullptr, m_env.context);

    ASSERT_EQ(m_env.notice.shown.size(), 1u);
    EXPECT_EQ(m_env.notice.shown[0].message, "New file version found !\n\n" + elem.m_strCopy +
                                                 "\n\nUse Ok to VIEW the new file !");
    EXPECT_EQ(m_env.notice.shown[0].copy, elem.m_strCopy);
    EXPECT_EQ(m_env.notice.shown[0].timeText, "10/02/2002 10:16:00");

    TheCatalogue().SetCurrentLcid(kLcidFrench);
    elem.m_nCheckMode = CHECK_DESTRUCTION;
    elem.m_nAction = ACTION_DELETE_OLD;
    elem.m_strCopy = m_dir.File("gone.txt");
    m_env.trash.paths.clear();
    m_env.notice.answers = {NoticeAnswer::Closed};
    CheckElement(elem, nullptr, m_env.context);
    ASSERT_EQ(m_env.notice.shown.size(), 2u);
    EXPECT_EQ(m_env.notice.shown[1].message, "Fichier détruit !\n\n" + elem.m_strCopy +
                                                 "\n\nUtilisez OK pourDETRUIRE l'ancien fichier !");
    EXPECT_TRUE(m_env.trash.paths.empty());
}

TEST_F(CheckEngineTest, ExistenceReportsCreationOnceUntilTheCopyChanges) {
    CKelElem elem = LocalElement(CHECK_EXISTENCE, 100);
    CheckElement(elem, nullptr, m_env.context);
    EXPECT_EQ(elem.m_nState, STATE_NO_NEW_VERSION);

    WriteFileAt(elem.m_strCopy, 900);
    CheckElement(elem, nullptr, m_env.context);
    EXPECT_EQ(elem.m_nState, STATE_NEW_VERSION);
    EXPECT_EQ(elem.m_timeReference, 900);

    CheckElement(elem, nullptr, m_env.context);
    EXPECT_EQ(elem.m_nState, STATE_NO_NEW_VERSION);

    WriteFileAt(elem.m_strCopy, 901);
    CheckElement(elem, nullptr, m_env.context);
    EXPECT_EQ(elem.m_nState, STATE_NEW_VERSION);
    EXPECT_EQ(m_env.notice.shown.size(), 2u);
}

TEST_F(CheckEngineTest, CopyFoundByWildcard) {
    CKelElem elem = LocalElement(CHECK_EXISTENCE, 100);
    WriteFileAt(m_dir.File("report-2.txt"), 300);
    WriteFileAt(m_dir.File("report-1.txt"), 200);
    elem.m_strCopy = m_dir.File("report-*.txt");
    CheckElement(elem, nullptr, m_env.context);
    EXPECT_EQ(elem.m_nState, STATE_NEW_VERSION);
    EXPECT_EQ(elem.m_timeReference, 200);

    // A name holding pattern characters is first taken as it stands.
    elem.m_strCopy = m_dir.File("log[1].txt");
    WriteFileAt(elem.m_strCopy, 400);
    CheckElement(elem, nullptr, m_env.context);
    EXPECT_EQ(elem.m_timeReference, 400);
}

TEST_F(CheckEngineTest, SignalRule) {
    struct Case {
        int32_t signal;
        int32_t action;
        bool noticeShown;
    };
    const Case cases[] = {
        {0, ACTION_COPY_NEW, false},
        {2, ACTION_COPY_NEW, false},
        {0, ACTION_NOTHING, true},
        {1, ACTION_COPY_NEW, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "signal " << c.signal << " action " << c.action);
        CKelElem elem = LocalElement(CHECK_FILE_TIME, 0);
        elem.m_bSignal = c.signal;
        elem.m_nAction = c.action;
        WriteFileAt(elem.m_strCopy, 800, "new");
        WriteFileAt(elem.m_strOriginal, 700, "old");
        m_env.notice.shown.clear();
        m_env.notice.answers = {NoticeAnswer::Closed};

        CheckElement(elem, nullptr, m_env.context);

        EXPECT_EQ(elem.m_nState, STATE_NEW_VERSION);
        EXPECT_EQ(m_env.notice.shown.size(), c.noticeShown ? 1u : 0u);
        EXPECT_EQ(ReadWholeFile(elem.m_strOriginal), "old");
        EXPECT_EQ(elem.m_bActive, 1);
    }
}

TEST_F(CheckEngineTest, NoticeAnswerDecidesActionAndActiveFlag) {
    struct Case {
        NoticeAnswer answer;
        int32_t when;
        const char* originalAfter;
        int32_t activeAfter;
    };
    const Case cases[] = {
        {NoticeAnswer::Ok, WHEN_PERMANENT, "new", 1},
        {NoticeAnswer::Closed, WHEN_PERMANENT, "old", 0},
        {NoticeAnswer::Closed, WHEN_AT_TIME, "old", 1},
        {NoticeAnswer::Closed, WHEN_ON_DEMAND, "old", 1},
        {NoticeAnswer::Unanswered, WHEN_PERMANENT, "old", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases << " when " << c.when);
        CKelElem elem = LocalElement(CHECK_FILE_TIME, 0);
        elem.m_nAction = ACTION_COPY_NEW;
        elem.m_nWhen = c.when;
        WriteFileAt(elem.m_strCopy, 800, "new");
        WriteFileAt(elem.m_strOriginal, 700, "old");
        // A check of the element while its notice is open, as a pass nested in the notice
        // would make, leaves it alone; the user's active flag is not touched meanwhile.
        int32_t activeDuringNotice = -1;
        TimeValue accessDuringNotice = -1;
        m_env.notice.whileShown = [&] {
            m_env.clock.now += 60;
            CheckElement(elem, nullptr, m_env.context);
            activeDuringNotice = elem.m_bActive;
            accessDuringNotice = elem.m_timeLastAccess;
        };
        m_env.notice.answers = {c.answer};

        CheckElement(elem, nullptr, m_env.context);

        EXPECT_EQ(activeDuringNotice, 1);
        EXPECT_EQ(accessDuringNotice, m_now);
        m_env.clock.now = m_now;
        m_env.notice.shown.clear();
        EXPECT_EQ(ReadWholeFile(elem.m_strOriginal), c.originalAfter);
        EXPECT_EQ(elem.m_bActive, c.activeAfter);
    }
}

TEST_F(CheckEngineTest, PermanentElementClosedWithoutOkIsSkippedAfterwards) {
    CKelElem elem = LocalElement(CHECK_ABSOLUTE_TIME, 0);
    elem.m_nWhen = WHEN_PERMANENT;
    WriteFileAt(elem.m_strCopy, 800);
    m_env.notice.answers = {NoticeAnswer::Closed};
    CheckElement(elem, nullptr, m_env.context);
    ASSERT_EQ(elem.m_bActive, 0);

    m_env.clock.now += 60;
    CheckElement(elem, nullptr, m_env.context);
    EXPECT_EQ(elem.m_timeLastAccess, m_now);
    EXPECT_EQ(m_env.notice.shown.size(), 1u);
}

}  // namespace
