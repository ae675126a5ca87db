#pragma once

#include "core/ElemList.h"

#include <map>
#include <optional>
#include <set>

// Which elements checked at a time of day the minute passes take: each once a local day.
// A pass takes the elements whose minute came since the previous pass, so one that the
// clock jumped over (a machine waking up, the hour skipped in spring) is taken by the first
// pass after the jump, for jumps of up to a day; the minute of the hour that the clock
// repeats in autumn is not taken twice.
class CTimeOfDayChecks {
public:
    static constexpr TimeValue kLongestJump = TimeValue{24} * 60 * 60;

    // The elements a minute pass at `now` checks at their time of day; the pass and the days
    // it takes are remembered.
    std::set<const CKelElem*> DueAt(const ElemList& elems, TimeValue now);

private:
    struct Taken {
        int day = 0;  // yyyymmdd, local
        TimeValue atTime = -1;
    };

    std::optional<int> DayDue(const CKelElem& elem, TimeValue now) const;
    bool TakenOn(const CKelElem& elem, int day) const;

    std::optional<TimeValue> m_lastPass;
    std::map<const CKelElem*, Taken> m_taken;
};
