#include "core/CheckEngine.h"
#include "core/KelElem.h"
#include "core/PassProbes.h"
#include "core/Scheduler.h"
#include "core/SchedulerPorts.h"

#include "CheckFakes.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

// What the user saw of a run of checks, in order, and what the elements recorded.
struct Seen {
    std::vector<std::string> shown;
    std::vector<std::pair<int32_t, TimeValue>> recorded;

    bool operator==(const Seen&) const = default;
};

class PassTest : public ::testing::Test {
protected:
    // A random list: remote copies of both kinds found old or new, absent, failing, and
    // local copies, in every mode, with and without a notice and an action.
    void MakeList(unsigned seed) {
        std::mt19937 random(seed);
        const auto pick = [&random](int count) {
            return static_cast<int>(random() % static_cast<unsigned>(count));
        };
        m_remote.answers.clear();
        m_elems.clear();
        WriteWholeFile(m_dir.File("local.txt"), "x");
        SetFileTimes(m_dir.File("local.txt"), 500, 500);
        for (int i = 0; i < 24; ++i) {
            auto elem = std::make_unique<CKelElem>();
            elem->m_strDescription = "element " + std::to_string(i);
            elem->m_nCheckMode = pick(4);
            elem->m_timeReference = 400;
            elem->m_bSignal = pick(2);
            elem->m_nAction = pick(2) == 0 ? ACTION_NOTHING : ACTION_VIEW_NEW;
            elem->m_nWhen = WHEN_PERMANENT;
            const int kind = pick(5);
            if (kind == 4) {
                elem->m_strCopy = m_dir.File("local.txt");
            } else {
                const std::string object = "/file" + std::to_string(i);
                const bool ftp = pick(2) == 0;
                elem->m_strCopy = (ftp ? "ftp://127.0.0.1:2121" : "http://127.0.0.1:8080") + object;
                const ProbeResult answers[] = {Found(300), Found(700), Absent(),
                                               Failed("refused " + std::to_string(i))};
                m_remote.answers[ftp ? object : elem->m_strCopy] = answers[kind];
            }
            m_elems.push_back(std::move(elem));
        }
    }

    Seen SeenAfter(const std::function<void()>& checks) {
        const size_t boxesBefore = m_env.boxes.Boxes().size();
        Seen seen;
        // The boxes shown since the last look, then the notice now shown.
        size_t boxesSeen = boxesBefore;
        const auto takeBoxes = [&] {
            const auto boxes = m_env.boxes.Boxes();
            for (; boxesSeen < boxes.size(); ++boxesSeen) {
                seen.shown.push_back("box: " + boxes[boxesSeen].text);
            }
        };
        m_env.notice.shown.clear();
        m_env.notice.whileShown = [&] {
            takeBoxes();
            seen.shown.push_back("notice: " + m_env.notice.shown.back().message);
        };
        checks();
        takeBoxes();
        m_env.notice.whileShown = nullptr;
        for (const auto& elem : m_elems) {
            seen.recorded.emplace_back(elem->m_nState, elem->m_timeReference);
        }
        return seen;
    }

    TempDir m_dir;
    CheckFixture m_env;
    ScriptedRemote m_remote;
    CheckContext m_context{m_env.clock, m_env.notice, m_env.wait, m_remote,
                           m_env.trash, m_env.viewer, m_env.boxes};
    ElemList m_elems;
    CUnattendedList m_list;
};

// Whatever the list, "Verify all now" probes every remote copy at once, after one internet
// test, and then shows and records exactly what checking the elements one by one gives.
TEST_F(PassTest, AllAtOnceShowsWhatOneByOneShows) {
    for (unsigned seed = 1; seed <= 20; ++seed) {
        SCOPED_TRACE(seed);
        MakeList(seed);
        const Seen oneByOne = SeenAfter([this] {
            for (const auto& elem : m_elems) {
                CheckElement(*elem, nullptr, m_context);
            }
        });
        MakeList(seed);
        m_remote.internetTests = 0;
        m_remote.batches.clear();
        const Seen together = SeenAfter([this] {
            CScheduler scheduler(m_elems, m_list, m_list, m_context);
            scheduler.CheckAll(true);
        });
        EXPECT_EQ(together, oneByOne);
        EXPECT_EQ(m_remote.internetTests, 1);
        ASSERT_EQ(m_remote.batches.size(), 1u);
        EXPECT_EQ(m_remote.batches[0].size(), m_remote.answers.size());
    }
}

// A notice left open for more than a minute: the answers the pass has yet to use are asked
// again, together, before the next element is decided, and the new answers count.
TEST_F(PassTest, AnswersOlderThanAMinuteAreAskedAgain) {
    const auto add = [this](const std::string& address, TimeValue reference) {
        auto elem = std::make_unique<CKelElem>();
        elem->m_strCopy = address;
        elem->m_nCheckMode = CHECK_ABSOLUTE_TIME;
        elem->m_timeReference = reference;
        elem->m_nWhen = WHEN_PERMANENT;
        m_elems.push_back(std::move(elem));
        m_remote.answers[address] = Found(500);
    };
    add("http://a/announced", 400);
    add("http://b/next", 600);
    add("http://c/last", 600);
    m_env.notice.whileShown = [this] {
        if (m_env.notice.shown.size() == 1) {
            m_env.clock.now += CPassProbes::kFreshSeconds + 1;
            m_remote.answers["http://b/next"] = Found(700);
        }
    };
    CScheduler scheduler(m_elems, m_list, m_list, m_context);
    scheduler.CheckAll(true);

    ASSERT_EQ(m_remote.batches.size(), 2u);
    EXPECT_EQ(m_remote.batches[1], (std::vector<std::string>{"http://b/next", "http://c/last"}));
    EXPECT_EQ(m_elems[1]->m_nState, STATE_NEW_VERSION);
    EXPECT_EQ(m_elems[2]->m_nState, STATE_NO_NEW_VERSION);
    EXPECT_EQ(m_env.notice.shown.size(), 2u);
}

// An element kept out of the probes ahead (its notice was open then) is probed when its turn
// comes, after the pass's internet test; once a pass found no internet, it asks no more.
TEST_F(PassTest, AnElementNotProbedAheadMakesThePassInternetTest) {
    CKelElem elem;
    elem.m_strCopy = "http://a/late";
    m_remote.answers[elem.m_strCopy] = Found(500);
    m_context.elementsUnderNotice.insert(&elem);
    CPassProbes pass;
    pass.ProbeAhead({&elem}, m_context);
    EXPECT_EQ(pass.availability, std::nullopt);
    m_context.elementsUnderNotice.clear();

    const std::optional<ProbeResult> answer = pass.Take(elem, m_context);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->time, 500);
    EXPECT_EQ(pass.availability, true);
    EXPECT_EQ(m_remote.internetTests, 1);

    m_remote.reachable = false;
    CPassProbes offline;
    EXPECT_FALSE(offline.Take(elem, m_context).has_value());
    EXPECT_FALSE(offline.Take(elem, m_context).has_value());
    EXPECT_EQ(offline.availability, false);
    EXPECT_EQ(m_remote.internetTests, 2);
    EXPECT_EQ(m_remote.batches.size(), 1u);
}

}  // namespace
