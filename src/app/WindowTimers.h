#pragma once

#include "core/SchedulerPorts.h"

#include <QObject>

#include <map>
#include <vector>

class QTimer;

// The main window's repeating timers, by id; each tick is reported with its id. They run
// whether the window is shown or hidden, until they are stopped or the window goes.
//
// While held, the ticks that fall due are kept back, one per timer as a busy thread would
// have seen them, and reported in the order they fell due once the last hold is released,
// from the event loop as any tick is.
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

    std::map<int, QTimer*> m_timers;
    int m_nHolds = 0;
    std::vector<int> m_held;
};
