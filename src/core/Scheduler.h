#pragma once

#include "core/CheckEngine.h"
#include "core/ElemList.h"
#include "core/TimeOfDayChecks.h"

#include <functional>

class IListView;
class ITimers;
struct CheckContext;

// Decides which elements are checked and when: the launch checks, a pass at every minute
// (on its second 0, found again when the clock has moved) for the at-time and permanent
// elements, "Check now !" and "Verify all now". A pass asks for its remote copies side by
// side first, then checks its elements in list order. Passes may nest (a timer fires while
// a box or a notice is open); each step re-reads the list's size, and the check engine
// leaves out the element whose notice is open.
class CScheduler {
public:
    static constexpr int kTimerMinute = 1001;
    static constexpr int kTimerAlign = 1002;

    CScheduler(ElemList& elems, IListView& list, ITimers& timers, CheckContext& context)
        : m_elems(elems), m_list(list), m_timers(timers), m_context(context) {}

    // Once the list is loaded: starts the aligning timer and runs the launch checks.
    void Start();
    // With `all` false the elements due at launch, otherwise every element.
    void CheckAll(bool all);
    void CheckSelected();
    // The run ends: the timers stop, and no check starts any more, not even the next one of
    // a pass under way.
    void Stop();
    // False when the timer is not the scheduler's, or when the aligning timer has not yet
    // reached a whole minute: the caller then lets the default handling have it.
    bool OnTimer(int id);

private:
    void MinutePass();
    void KeepAligned();
    void RunPass(const std::function<bool(const CKelElem&)>& isDue, CheckOccasion occasion);

    ElemList& m_elems;
    IListView& m_list;
    ITimers& m_timers;
    CheckContext& m_context;
    CTimeOfDayChecks m_timeOfDay;
    bool m_bStopped = false;
};
