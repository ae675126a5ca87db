#include "core/TimeOfDayChecks.h"

#include <ctime>

namespace {

// A local minute as yyyymmddhhmm, so that minutes compare in the order the clock shows them.
struct WallMinute {
    int day = 0;  // yyyymmdd
    int hour = 0;
    int minute = 0;

    long long Key() const { return (static_cast<long long>(day) * 100 + hour) * 100 + minute; }
};

std::optional<WallMinute> WallMinuteOf(TimeValue time) {
    if (time < 0) {
        return std::nullopt;  // no local time before 1970
    }
    const time_t value = time;
    std::tm local{};
    if (localtime_r(&value, &local) == nullptr) {
        return std::nullopt;
    }
    return WallMinute{(local.tm_year + 1900) * 10000 + (local.tm_mon + 1) * 100 + local.tm_mday,
                      local.tm_hour, local.tm_min};
}

}  // namespace

std::set<const CKelElem*> CTimeOfDayChecks::DueAt(const ElemList& elems, TimeValue now) {
    std::set<const CKelElem*> due;
    std::map<const CKelElem*, Taken> taken;
    for (const auto& elem : elems) {
        if (elem->m_nWhen != WHEN_AT_TIME) {
            continue;
        }
        if (const std::optional<int> day = DayDue(*elem, now)) {
            due.insert(elem.get());
            taken[elem.get()] = {*day, elem->m_timeAtTime};
        } else if (const auto found = m_taken.find(elem.get()); found != m_taken.end()) {
            taken.insert(*found);
        }
    }
    // Only the elements of the list are kept: a removed element's address may come back.
    m_taken = std::move(taken);
    m_lastPass = now;
    return due;
}

// The local day whose minute of the element the pass at `now` takes, if any. Normally the
// minute came after the previous pass's and no later than now, by the clock's reading. After
// no previous pass, a clock set back or a jump of over a day: the minute of now.
std::optional<int> CTimeOfDayChecks::DayDue(const CKelElem& elem, TimeValue now) const {
    const std::optional<WallMinute> at = WallMinuteOf(elem.m_timeAtTime);
    const std::optional<WallMinute> current = WallMinuteOf(now);
    if (!at || !current) {
        return std::nullopt;
    }
    const std::optional<WallMinute> last =
        m_lastPass && now >= *m_lastPass && now - *m_lastPass <= kLongestJump
            ? WallMinuteOf(*m_lastPass)
            : std::nullopt;
    if (!last) {
        const bool thisMinute = at->hour == current->hour && at->minute == current->minute;
        return thisMinute && !TakenOn(elem, current->day) ? std::optional<int>(current->day)
                                                          : std::nullopt;
    }
    for (const int day : {last->day, current->day}) {
        const WallMinute candidate{day, at->hour, at->minute};
        if (candidate.Key() > last->Key() && candidate.Key() <= current->Key() &&
            !TakenOn(elem, day)) {
            return day;
        }
    }
    return std::nullopt;
}

// Whether the element was taken on that day, at the time of day it has now.
bool CTimeOfDayChecks::TakenOn(const CKelElem& elem, int day) const {
    const auto found = m_taken.find(&elem);
    return found != m_taken.end() && found->second.day == day &&
           found->second.atTime == elem.m_timeAtTime;
}
