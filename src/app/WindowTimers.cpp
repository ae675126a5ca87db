#include "app/WindowTimers.h"

#include <QTimer>

void CWindowTimers::Start(int id, int periodMs) {
    QTimer*& timer = m_timers[id];
    if (!timer) {
        timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this, id] { emit tick(id); });
    }
    timer->start(periodMs);
}

void CWindowTimers::Stop(int id) {
    const auto found = m_timers.find(id);
    if (found != m_timers.end()) {
        found->second->stop();
    }
}

bool CWindowTimers::IsRunning(int id) const {
    const auto found = m_timers.find(id);
    return found != m_timers.end() && found->second->isActive();
}
