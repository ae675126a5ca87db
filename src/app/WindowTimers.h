#pragma once

#include "core/SchedulerPorts.h"

#include <QObject>

#include <map>
#include <set>
#include <vector>

class QTimer;

// The main window's repeating timers, by id; each tick is reported with its id. They run
// whether the window is shown or hidden, until they are stopped or the window goes.
//
// A tick is reported from the event loop, never from inside the timer's own callback: what
// it starts may open a box, and a timer is not fired again while its callback is still on
// the stack, so a box left open there would swallow every later tick of that timer. Posted,
// the next tick comes in the box's loop as any event does. A timer's ticks that fall due
// before the last one is reported are one, as on a busy thread.
//
// While held, the ticks that fall due are kept back, one per timer as a busy thread would
// have seen them, and reported in the order they fell due once the last hold is released.
class CWindowTimers : public QObject, public ITimers {
    Q_OBJECT

public:
    using QObject::QObject;

    void Start(int id, int periodMs) override;
    void Stop(int id) override;
    bool IsRunning(int id) const;

    void Hold();
    void Release();

signals:
    void tick(int id);

private:
    void OnTimeout(int id);
    void KeepBack(int id);
    void Post(int id);
    void Report(int id);

    std::map<int, QTimer*> m_timers;
    int m_nHolds = 0;
    std::vector<int> m_held;
    std::set<int> m_posted;
};
