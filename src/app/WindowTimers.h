#pragma once

#include "core/SchedulerPorts.h"

#include <QObject>

#include <map>

class QTimer;

// The main window's repeating timers, by id; each tick is reported with its id. They run
// whether the window is shown or hidden, until they are stopped or the window goes.
class CWindowTimers : public QObject, public ITimers {
    Q_OBJECT

public:
    using QObject::QObject;

    void Start(int id, int periodMs) override;
    void Stop(int id) override;
    bool IsRunning(int id) const;

signals:
    void tick(int id);

private:
    std::map<int, QTimer*> m_timers;
};
