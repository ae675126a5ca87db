#include "core/Scheduler.h"

#include "core/SchedulerPorts.h"

#include "CheckFakes.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <numeric>

namespace {

// The list as the main window shows it: rows sorted by description, each carrying its
// element's index; refilling drops the selection.
class FakeListView : public IListView {
public:
    explicit FakeListView(const ElemList& elems) : m_elems(elems) {}

    std::optional<int> SelectedItem() const override { return selected; }
    int ElementIndexOfRow(int row) const override { return m_rows.at(static_cast<size_t>(row)); }
    void RefillList() override {
        ++refills;
        selected.reset();
        m_rows.resize(m_elems.size());
        std::iota(m_rows.begin(), m_rows.end(), 0);
        std::stable_sort(m_rows.begin(), m_rows.end(), [this](int a, int b) {
            return m_elems[static_cast<size_t>(a)]->m_strDescription <
                   m_elems[static_cast<size_t>(b)]->m_strDescription;
        });
    }
    void SelectRow(int row) override { selected = row; }

    std::optional<int> selected;
    int refills = 0;

private:
    const ElemList& m_elems;
    std::vector<int> m_rows;
};

class FakeTimers : public ITimers {
public:
    void Start(int id, int periodMs) override { running[id] = periodMs; }
    void Stop(int id) override { running.erase(id); }
    std::map<int, int> running;
};

class SchedulerTest : public ::testing::Test {
protected:
    SchedulerTest() {
        WriteWholeFile(m_copy, "x");
        m_list.RefillList();
        m_list.refills = 0;
    }

    // An element that never finds a new version, so each check only stamps its last access.
    CKelElem& Add(const std::string& description, int32_t when, TimeValue atTime = 0) {
        auto elem = std::make_unique<CKelElem>();
        elem->m_strDescription = description;
        elem->m_nWhen = when;
        elem->m_timeAtTime = atTime;
        elem->m_nCheckMode = CHECK_ABSOLUTE_TIME;
        elem->m_timeReference = 0x7fffffff;
        elem->m_strCopy = m_copy;
        m_elems.push_back(std::move(elem));
        m_list.RefillList();
        m_list.refills = 0;
        return *m_elems.back();
    }

    void SetClock(int day, int hour, int minute, int second) {
        m_env.clock.now = LocalTimeValue(2024, 3, day, hour, minute, second);
    }

    TempDir m_dir;
    const std::string m_copy = m_dir.File("copy.txt");
    CheckFixture m_env;
    ElemList m_elems;
    FakeListView m_list{m_elems};
    FakeTimers m_timers;
    CScheduler m_scheduler{m_elems, m_list, m_timers, m_env.context};
};

TEST_F(SchedulerTest, PassesFollowTheFirstWholeMinuteAfterStart) {
    CKelElem& atTime = Add("at time", WHEN_AT_TIME, LocalTimeValue(2001, 7, 14, 10, 16, 30));
    CKelElem& atLaunch = Add("at launch", WHEN_AT_LAUNCH);
    CKelElem& onDemand = Add("on demand", WHEN_ON_DEMAND);
    CKelElem& permanent = Add("permanent", WHEN_PERMANENT);
    CKelElem& noLocalTime = Add("no local time", WHEN_AT_TIME, -60);

    SetClock(5, 10, 15, 42);
    const TimeValue started = m_env.clock.now;
    m_scheduler.Start();
    EXPECT_EQ(m_timers.running, (std::map<int, int>{{1002, 1000}}));
    EXPECT_EQ(atLaunch.m_timeLastAccess, started);
    EXPECT_EQ(m_list.refills, 1);

    for (int second = 43; second < 60; ++second) {
        SetClock(5, 10, 15, second);
        EXPECT_FALSE(m_scheduler.OnTimer(1002));
    }
    EXPECT_EQ(atTime.m_timeLastAccess, -1);
    EXPECT_EQ(permanent.m_timeLastAccess, -1);

    SetClock(5, 10, 16, 0);
    const TimeValue firstPass = m_env.clock.now;
    EXPECT_TRUE(m_scheduler.OnTimer(1002));
    EXPECT_EQ(m_timers.running, (std::map<int, int>{{1001, 60000}}));
    EXPECT_EQ(atTime.m_timeLastAccess, firstPass);
    EXPECT_EQ(permanent.m_timeLastAccess, firstPass);
    EXPECT_EQ(atLaunch.m_timeLastAccess, started);

    SetClock(5, 10, 17, 0);
    EXPECT_TRUE(m_scheduler.OnTimer(1001));
    EXPECT_EQ(permanent.m_timeLastAccess, m_env.clock.now);
    EXPECT_EQ(atTime.m_timeLastAccess, firstPass);

    // The next day, late in that minute: the pass looks for second 0 again.
    SetClock(6, 10, 16, 59);
    EXPECT_TRUE(m_scheduler.OnTimer(1001));
    EXPECT_EQ(atTime.m_timeLastAccess, m_env.clock.now);
    EXPECT_EQ(m_timers.running, (std::map<int, int>{{1002, 1000}}));
    SetClock(6, 10, 17, 0);
    EXPECT_TRUE(m_scheduler.OnTimer(1002));
    EXPECT_EQ(m_timers.running, (std::map<int, int>{{1001, 60000}}));

    // -60 would read as 00:59 local time, but a time before 1970 has no hour to compare.
    SetClock(6, 0, 59, 0);
    EXPECT_TRUE(m_scheduler.OnTimer(1001));
    EXPECT_EQ(noLocalTime.m_timeLastAccess, -1);

    EXPECT_EQ(onDemand.m_timeLastAccess, -1);
    EXPECT_EQ(atLaunch.m_timeLastAccess, started);
    EXPECT_FALSE(m_scheduler.OnTimer(1003));
    EXPECT_EQ(m_timers.running, (std::map<int, int>{{1001, 60000}}));
}

// An element checked at a time of day is checked once that day, whatever the clock does
// between two passes (the tests run in Paris time).
TEST_F(SchedulerTest, TimeOfDayChecksHappenOnceADay) {
    struct Case {
        const char* what;
        TimeValue atTime;
        std::vector<TimeValue> passes;
        int checks;
    };
    const auto paris = [](int month, int day, int hour, int minute, int second = 0) {
        return LocalTimeValue(2024, month, day, hour, minute, second);
    };
    const Case cases[] = {
        {"every minute",
         paris(3, 5, 11, 0),
         {paris(3, 5, 10, 59), paris(3, 5, 11, 0), paris(3, 5, 11, 1)},
         1},
        {"asleep over its minute",
         paris(3, 5, 11, 0),
         {paris(3, 5, 10, 15), paris(3, 5, 12, 30, 20), paris(3, 5, 12, 31)},
         1},
        {"asleep almost a day",
         paris(3, 5, 11, 0),
         {paris(3, 5, 11, 1), paris(3, 6, 10, 59, 30), paris(3, 6, 11, 0)},
         1},
        {"asleep over a day",
         paris(3, 5, 11, 0),
         {paris(3, 5, 10, 15), paris(3, 6, 12, 0), paris(3, 6, 12, 1)},
         0},
        {"the hour skipped in spring",
         paris(3, 31, 2, 30),
         {paris(3, 31, 1, 59), paris(3, 31, 3, 0), paris(3, 31, 3, 30)},
         1},
        {"the hour repeated in autumn",
         paris(10, 27, 2, 30),
         {paris(10, 27, 2, 29), paris(10, 27, 2, 30), paris(10, 27, 2, 31),
          paris(10, 27, 2, 29) + 3600, paris(10, 27, 2, 30) + 3600, paris(10, 27, 2, 31) + 3600},
         1},
        {"a clock set back",
         paris(3, 5, 11, 0),
         {paris(3, 5, 11, 0), paris(3, 5, 10, 59), paris(3, 5, 11, 0)},
         1},
        {"each day",
         paris(3, 5, 11, 0),
         {paris(3, 5, 11, 0), paris(3, 6, 11, 0), paris(3, 7, 11, 0, 30)},
         3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_elems.clear();
        CScheduler scheduler{m_elems, m_list, m_timers, m_env.context};
        CKelElem& elem = Add("at time", WHEN_AT_TIME, c.atTime);
        int checks = 0;
        for (const TimeValue pass : c.passes) {
            m_env.clock.now = pass;
            elem.m_timeLastAccess = -1;
            EXPECT_TRUE(scheduler.OnTimer(1001));
            checks += elem.m_timeLastAccess == pass ? 1 : 0;
        }
        EXPECT_EQ(checks, c.checks);
    }
}

// The last second of the 32-bit clock is 2038-01-19 03:14:07 UTC, 04:14:07 in Paris.
TEST_F(SchedulerTest, TheClockRunsOnPast2038) {
    CKelElem& permanent = Add("permanent", WHEN_PERMANENT);
    CKelElem& atTime = Add("at time", WHEN_AT_TIME, LocalTimeValue(2040, 5, 1, 4, 16, 0));
    m_env.clock.now = LocalTimeValue(2038, 1, 19, 4, 14, 7);
    m_scheduler.Start();
    for (int second = 8; second < 60; ++second) {
        m_env.clock.now = LocalTimeValue(2038, 1, 19, 4, 14, second);
        EXPECT_FALSE(m_scheduler.OnTimer(1002));
    }
    m_env.clock.now = LocalTimeValue(2038, 1, 19, 4, 15, 0);
    EXPECT_TRUE(m_scheduler.OnTimer(1002));
    EXPECT_EQ(permanent.m_timeLastAccess, 2147483700);
    EXPECT_EQ(atTime.m_timeLastAccess, -1);

    m_env.clock.now = LocalTimeValue(2038, 1, 19, 4, 16, 0);
    EXPECT_TRUE(m_scheduler.OnTimer(1001));
    EXPECT_EQ(atTime.m_timeLastAccess, m_env.clock.now);
}

TEST_F(SchedulerTest, MinutePassKeepsTheSelection) {
    Add("b", WHEN_PERMANENT);
    Add("a", WHEN_PERMANENT);
    m_list.selected = 1;
    m_scheduler.OnTimer(1001);
    EXPECT_EQ(m_list.selected, 1);
    EXPECT_EQ(m_list.refills, 1);

    m_list.selected.reset();
    m_scheduler.OnTimer(1001);
    EXPECT_FALSE(m_list.selected.has_value());
}

TEST_F(SchedulerTest, CheckAllTakesLaunchElementsOrEveryElement) {
    CKelElem& atTime = Add("at time", WHEN_AT_TIME);
    CKelElem& atLaunch = Add("at launch", WHEN_AT_LAUNCH);
    CKelElem& onDemand = Add("on demand", WHEN_ON_DEMAND);
    m_list.selected = 0;

    m_scheduler.CheckAll(false);
    EXPECT_EQ(atLaunch.m_timeLastAccess, m_env.clock.now);
    EXPECT_EQ(atTime.m_timeLastAccess, -1);
    EXPECT_FALSE(m_list.selected.has_value());

    m_env.clock.now += 5;
    m_scheduler.CheckAll(true);
    for (const CKelElem* elem : {&atTime, &atLaunch, &onDemand}) {
        EXPECT_EQ(elem->m_timeLastAccess, m_env.clock.now);
    }
    EXPECT_EQ(m_list.refills, 2);
    EXPECT_TRUE(m_timers.running.empty());
}

TEST_F(SchedulerTest, CheckNowTakesTheSelectedItemsElement) {
    CKelElem& zulu = Add("zulu", WHEN_ON_DEMAND);
    CKelElem& alpha = Add("alpha", WHEN_ON_DEMAND);

    m_scheduler.CheckSelected();
    EXPECT_EQ(m_list.refills, 0);
    EXPECT_EQ(zulu.m_timeLastAccess, -1);
    EXPECT_EQ(alpha.m_timeLastAccess, -1);

    m_list.selected = 1;  // the second row: "zulu", the first element
    m_scheduler.CheckSelected();
    EXPECT_EQ(zulu.m_timeLastAccess, m_env.clock.now);
    EXPECT_EQ(alpha.m_timeLastAccess, -1);
    EXPECT_EQ(m_list.selected, 1);

    zulu.m_bActive = 0;
    zulu.m_nState = STATE_NO_INTERNET;
    const CKelElem before = zulu;
    m_env.clock.now += 60;
    m_scheduler.CheckSelected();
    EXPECT_EQ(zulu, before);
    EXPECT_EQ(m_list.refills, 2);
    EXPECT_EQ(m_list.selected, 1);
}

// A minute pass that starts while a notice is open checks the other elements and leaves
// the one under notice alone.
TEST_F(SchedulerTest, PassNestedInANoticeSkipsTheElementUnderNotice) {
    CKelElem& announced = Add("announced", WHEN_PERMANENT);
    announced.m_timeReference = 0;  // the copy is newer: a notice at every check
    CKelElem& other = Add("other", WHEN_PERMANENT);
    const TimeValue outer = m_env.clock.now;
    TimeValue otherDuringNotice = -1;
    m_env.notice.whileShown = [&] {
        m_env.clock.now = outer + 60;
        EXPECT_TRUE(m_scheduler.OnTimer(1001));
        otherDuringNotice = other.m_timeLastAccess;
    };

    EXPECT_TRUE(m_scheduler.OnTimer(1001));

    EXPECT_EQ(m_env.notice.shown.size(), 1u);
    EXPECT_EQ(announced.m_timeLastAccess, outer);
    EXPECT_EQ(announced.m_bActive, 1);
    EXPECT_EQ(otherDuringNotice, outer + 60);
    EXPECT_EQ(other.m_nState, STATE_NO_NEW_VERSION);
    EXPECT_EQ(m_list.refills, 2);
}

}  // namespace

// The run ends while a notice of a pass is open (Quit, a termination signal): the pass
// checks no further element, and neither "Verify all now" nor a minute pass starts one.
TEST_F(SchedulerTest, StopInsideANoticeEndsThePassAndEveryLaterOne) {
    CKelElem& announced = Add("announced", WHEN_PERMANENT);
    announced.m_timeReference = 0;  // the copy is newer: a notice at every check
    CKelElem& later = Add("later", WHEN_PERMANENT);
    SetClock(7, 10, 0, 0);
    m_scheduler.Start();
    m_env.notice.whileShown = [&] { m_scheduler.Stop(); };

    EXPECT_TRUE(m_scheduler.OnTimer(1002));

    EXPECT_EQ(m_env.notice.shown.size(), 1u);
    EXPECT_EQ(later.m_timeLastAccess, -1);
    EXPECT_TRUE(m_timers.running.empty());
    m_scheduler.CheckAll(true);
    EXPECT_TRUE(m_scheduler.OnTimer(1001));
    EXPECT_EQ(m_env.notice.shown.size(), 1u);
    EXPECT_EQ(later.m_timeLastAccess, -1);
}
