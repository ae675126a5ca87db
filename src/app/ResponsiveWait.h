#pragma once

#include "core/CheckEnvironment.h"

class CWindowTimers;

// Runs long work on a worker thread while this thread waits in an event loop that repaints
// and answers the window manager. Meanwhile the wait cursor shows, what the user clicks or
// types in the program's windows is dropped (never acted on later, on whatever is then
// under the pointer), and the close requests of the window manager and the ticks of the
// held timers are kept back until the work has ended: so everything the program does
// happens in the order that running the work on this thread gave, and the desktop never
// sees a program that does not respond.
// When the run ends (QCoreApplication::exit) before the work does, the process ends at once
// with status 0, after removing the temporary files of the writes under way: a replaced
// file is then either the old one or the new one. A wait that begins after the run has
// ended does the same without starting its work.
class CResponsiveWait : public IResponsiveWait {
public:
    // The timers whose ticks wait for the end of each wait; none until set.
    void HoldDuringWaits(CWindowTimers* timers) { m_timers = timers; }

    void Run(const std::function<void()>& work) override;
    // True from the start of a wait to its end: what reaches the program meanwhile other
    // than as input to a window (the notification area's clicks come as signals) must be
    // dropped as input is.
    bool IsWaiting() const { return m_nDepth > 0; }

private:
    CWindowTimers* m_timers = nullptr;
    int m_nDepth = 0;
};
