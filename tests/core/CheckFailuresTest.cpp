#include "core/CheckEngine.h"
#include "core/CheckFailures.h"
#include "core/KelElem.h"
#include "core/Scheduler.h"
#include "core/SchedulerPorts.h"
#include "i18n/TimeStamp.h"

#include "CheckFakes.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace {

// What a user away from the windows is told.
class RecordingDesktop : public IDesktopNotices {
public:
    void Tell(const std::string& description, const std::string& headLine) override {
        told.push_back(description + ": " + headLine);
    }
    std::vector<std::string> told;
};

// A list without a screen whose selected row is the element of that index.
class SelectingList : public CUnattendedList {
public:
    std::optional<int> SelectedItem() const override { return selected; }
    std::optional<int> selected;
};

class CheckFailuresTest : public ::testing::Test {
protected:
    CheckFailuresTest() { m_context.desktop = &m_desktop; }

    CKelElem& Add(const std::string& description, const std::string& copy, int32_t when) {
        auto elem = std::make_unique<CKelElem>();
        elem->m_strDescription = description;
        elem->m_strCopy = copy;
        elem->m_nCheckMode = CHECK_ABSOLUTE_TIME;
        elem->m_timeReference = 600;
        elem->m_nWhen = when;
        m_elems.push_back(std::move(elem));
        return *m_elems.back();
    }

    // Each failed HTTP probe's boxes end with this one.
    size_t ConnectionErrorBoxes() const {
        const auto boxes = m_env.boxes.Boxes();
        return static_cast<size_t>(std::count_if(boxes.begin(), boxes.end(), [](const auto& box) {
            return box.text == "HTTP connection error";
        }));
    }

    TempDir m_dir;
    CheckFixture m_env;
    ScriptedRemote m_remote;
    RecordingDesktop m_desktop;
    CheckContext m_context{m_env.clock, m_env.notice, m_env.wait, m_remote,
                           m_env.trash, m_env.viewer, m_env.boxes};
    ElemList m_elems;
    SelectingList m_list;
    CScheduler m_scheduler{m_elems, m_list, m_list, m_context};
};

// Each way a check can fail stores "Not checked." and reads as a failure with its reason,
// with the boxes of a failed probe only, until a check of the element is made.
TEST_F(CheckFailuresTest, AFailedCheckIsNoResultUntilACheckIsMade) {
    ProbeResult notFound;
    notFound.status = ProbeStatus::NotFound;
    struct Case {
        const char* what;
        std::string copy;
        std::optional<ProbeResult> answer;  // under the address's key
        bool reachable;
        const char* state;
        size_t boxes;
    };
    const Case cases[] = {
        {"refused", "http://a/x", Failed("HTTP Send Request failed: 7\nrefused"), true,
         "Check failed: HTTP Send Request failed: 7", 2},
        {"not found where absence is no news", "ftp://b/y", notFound, true,
         "Check failed: FTP connection error", 1},
        {"no internet", "http://a/x", Found(900), false,
         "Check failed: No internet connection available !", 0},
        {"a copy of no kind", "htp://a/x", std::nullopt, true,
         "Check failed: Neither a file path nor an address of a kind that can be checked", 0},
    };
    const std::string local = m_dir.File("copy.txt");
    WriteWholeFile(local, "x");
    SetFileTimes(local, 500, 500);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CKelElem& elem = Add(c.what, c.copy, WHEN_ON_DEMAND);
        if (c.answer) {
            m_remote.answers[c.copy.starts_with("ftp") ? "/y" : c.copy] = *c.answer;
        }
        m_remote.reachable = c.reachable;
        const size_t boxesBefore = m_env.boxes.Boxes().size();
        const size_t probesBefore = m_remote.batches.size();

        CheckElement(elem, nullptr, m_context);

        EXPECT_EQ(elem.m_nState, STATE_NOT_CHECKED);
        EXPECT_EQ(StateText(elem, m_context.failures), c.state);
        EXPECT_EQ(m_env.boxes.Boxes().size() - boxesBefore, c.boxes);
        EXPECT_EQ(m_remote.batches.size() - probesBefore, c.answer && c.reachable ? 1u : 0u);
        EXPECT_TRUE(m_env.notice.shown.empty());

        elem.m_strCopy = local;
        CheckElement(elem, nullptr, m_context);
        EXPECT_EQ(StateText(elem, m_context.failures), "No new version.");
        EXPECT_EQ(m_context.failures.Of(elem), nullptr);
    }
    EXPECT_EQ(FailingElementsText(m_elems, m_context.failures), "");
}

// The tooltip gives the latest failure whole and the time of the streak's first one; a
// failure for another reason starts a new streak.
TEST_F(CheckFailuresTest, TooltipNamesTheWholeFailureAndWhenTheStreakBegan) {
    CKelElem& elem = Add("Site", "http://a/x", WHEN_ON_DEMAND);
    const TimeValue first = LocalTimeValue(2026, 12, 7, 10, 15, 0);
    const auto checkAt = [&](TimeValue when, const ProbeResult& answer) {
        m_env.clock.now = when;
        m_remote.answers["http://a/x"] = answer;
        CheckElement(elem, nullptr, m_context);
        return FailureTip(*m_context.failures.Of(elem));
    };
    checkAt(first, Failed("Failed to connect after 1 ms"));
    EXPECT_EQ(checkAt(first + 60, Failed("Failed to connect after 4 ms")),
              "HTTP connection error\nFailed to connect after 4 ms\n\nFailing since " +
                  FormatTimeStamp(first));
    EXPECT_EQ(checkAt(first + 120, Failed("Timed out", 28)),
              "HTTP connection error\nTimed out\n\nFailing since " + FormatTimeStamp(first + 120));
    TheCatalogue().SetCurrentLcid(kLcidFrench);
    EXPECT_EQ(checkAt(first + 180, Failed("Timed out", 28)),
              "Erreur de connexion HTTP\nTimed out\n\nEn échec depuis le " +
                  FormatTimeStamp(first + 120));
    EXPECT_EQ(StateText(elem, m_context.failures), "Échec de la vérification : Timed out");
    EXPECT_EQ(m_desktop.told, (std::vector<std::string>{"Site: Check failed: Failed to connect "
                                                        "after 1 ms",
                                                        "Site: Check failed: Timed out"}));
}

// The minute passes check a permanent element every minute: its failure box comes once a
// streak, and so does the word to a user away from the windows.
TEST_F(CheckFailuresTest, APermanentElementShowsOneBoxAStreakInTheMinutePasses) {
    Add("Site", "http://a/x", WHEN_PERMANENT);
    struct Step {
        const char* what;
        ProbeResult answer;
        int passes;
        size_t boxes;  // after the step
        size_t told;
    };
    const Step steps[] = {
        {"ten failing passes", Failed("refused"), 10, 1, 1},
        {"another reason", Failed("timed out", 28), 2, 2, 2},
        {"a success", Found(500), 1, 2, 2},
        {"failing again", Failed("refused"), 3, 3, 3},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        m_remote.answers["http://a/x"] = step.answer;
        for (int pass = 0; pass < step.passes; ++pass) {
            m_env.clock.now += 60;
            EXPECT_TRUE(m_scheduler.OnTimer(CScheduler::kTimerMinute));
        }
        EXPECT_EQ(ConnectionErrorBoxes(), step.boxes);
        EXPECT_EQ(m_desktop.told.size(), step.told);
    }
}

// Launch checks, "Verify all now", "Check now !" and checks at a time of day show their box
// at every failure.
TEST_F(CheckFailuresTest, OtherChecksShowTheirBoxEveryTime) {
    Add("launch", "http://a/launch", WHEN_AT_LAUNCH);
    Add("permanent", "http://a/permanent", WHEN_PERMANENT);
    CKelElem& atTime = Add("at time", "http://a/at-time", WHEN_AT_TIME);
    atTime.m_timeAtTime = LocalTimeValue(2026, 3, 5, 10, 16, 0);
    for (const auto& elem : m_elems) {
        m_remote.answers[elem->m_strCopy] = Failed("refused");
    }
    const auto minutePass = [this](int day, int minute) {
        m_env.clock.now = LocalTimeValue(2026, 3, day, 10, minute, 0);
        m_scheduler.OnTimer(CScheduler::kTimerMinute);
    };
    minutePass(5, 16);
    EXPECT_EQ(ConnectionErrorBoxes(), 2u) << "the permanent and the at-time element";
    minutePass(6, 15);
    minutePass(6, 16);
    EXPECT_EQ(ConnectionErrorBoxes(), 3u) << "the at-time element again";
    m_scheduler.CheckAll(false);
    m_scheduler.CheckAll(false);
    EXPECT_EQ(ConnectionErrorBoxes(), 5u) << "the launch checks";
    m_scheduler.CheckAll(true);
    EXPECT_EQ(ConnectionErrorBoxes(), 8u) << "Verify all now";
    m_list.selected = 1;
    m_scheduler.CheckSelected();
    m_scheduler.CheckSelected();
    EXPECT_EQ(ConnectionErrorBoxes(), 10u) << "Check now ! on the permanent element";
    EXPECT_EQ(FailingElementsText(m_elems, m_context.failures), "3 elements failing");
}

}  // namespace
