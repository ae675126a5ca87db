#include "core/Scheduler.h"

#include "core/CheckEngine.h"
#include "core/CheckEnvironment.h"
#include "core/PassProbes.h"
#include "core/SchedulerPorts.h"

#include <ctime>

namespace {

constexpr int kAlignPeriodMs = 1000;
constexpr int kMinutePeriodMs = 60000;
// A pass this late in its minute is still on time; a busy moment may delay a tick a little.
constexpr int kLatestAlignedSecond = 1;

bool LocalTime(TimeValue time, std::tm& local) {
    if (time < 0) {
        return false;
    }
    const time_t value = time;
    return localtime_r(&value, &local) != nullptr;
}

}  // namespace

void CScheduler::Start() {
    m_timers.Start(kTimerAlign, kAlignPeriodMs);
    CheckAll(false);
}

void CScheduler::CheckAll(bool all) {
    const auto due = [all](const CKelElem& elem) { return all || elem.m_nWhen == WHEN_AT_LAUNCH; };
    RunPass(due, CheckOccasion::LaunchOrCommand);
    m_list.RefillList();
}

// The remote copies of the due elements are probed side by side first; then each due
// element is checked in list order, by index and re-reading the size: a nested pass may
// run inside any check.
void CScheduler::RunPass(const std::function<bool(const CKelElem&)>& isDue,
                         CheckOccasion occasion) {
    CPassProbes pass;
    std::vector<const CKelElem*> due;
    for (const auto& elem : m_elems) {
        if (isDue(*elem)) {
            due.push_back(elem.get());
        }
    }
    pass.ProbeAhead(due, m_context);
    for (size_t i = 0; i < m_elems.size() && !m_bStopped; ++i) {
        CKelElem& elem = *m_elems[i];
        if (isDue(elem)) {
            CheckElement(elem, &pass, m_context, occasion);
        }
    }
}

void CScheduler::CheckSelected() {
    const std::optional<int> item = m_list.SelectedItem();
    if (!item) {
        return;
    }
    const int index = m_list.ElementIndexOfRow(*item);
    if (index >= 0 && static_cast<size_t>(index) < m_elems.size()) {
        CheckElement(*m_elems[static_cast<size_t>(index)], nullptr, m_context);
    }
    m_list.RefillList();
    m_list.SelectRow(*item);
}

void CScheduler::Stop() {
    m_bStopped = true;
    m_timers.Stop(kTimerMinute);
    m_timers.Stop(kTimerAlign);
}

bool CScheduler::OnTimer(int id) {
    if (id == kTimerAlign) {
        std::tm local{};
        if (!LocalTime(m_context.clock.Now(), local) || local.tm_sec != 0) {
            return false;
        }
        m_timers.Stop(kTimerAlign);
        m_timers.Start(kTimerMinute, kMinutePeriodMs);
    } else if (id != kTimerMinute) {
        return false;
    }
    MinutePass();
    KeepAligned();
    return true;
}

// A pass that came well after second 0 (the machine was asleep, the clock was set, a wait
// held the tick back) looks for the next second 0 again.
void CScheduler::KeepAligned() {
    std::tm local{};
    if (m_bStopped || !LocalTime(m_context.clock.Now(), local) ||
        local.tm_sec <= kLatestAlignedSecond) {
        return;
    }
    m_timers.Stop(kTimerMinute);
    m_timers.Start(kTimerAlign, kAlignPeriodMs);
}

void CScheduler::MinutePass() {
    const TimeValue now = m_context.clock.Now();
    const std::optional<int> selected = m_list.SelectedItem();
    const std::set<const CKelElem*> atTime = m_timeOfDay.DueAt(m_elems, now);
    RunPass(
        [&atTime](const CKelElem& elem) {
            return elem.m_nWhen == WHEN_PERMANENT || atTime.contains(&elem);
        },
        CheckOccasion::MinutePass);
    m_list.RefillList();
    if (selected) {
        m_list.SelectRow(*selected);
    }
}
