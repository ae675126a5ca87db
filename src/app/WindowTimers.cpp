#include "app/WindowTimers.h"

#include <QTimer>

#include <algorithm>

void CWindowTimers::Start(int id, int periodMs) {
    QTimer*& timer = m_timers[id];
    if (!timer) {
        timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this, id] { OnTimeout(id); });
    }
    timer->start(periodMs);
}

void CWindowTimers::Stop(int id) {
    const auto found = m_timers.find(id);
    if (found != m_timers.end()) {
        found->second->stop();
    }
    std::erase(m_held, id);
}

bool CWindowTimers::IsRunning(int id) const {
    const auto found = m_timers.find(id);
    return found != m_timers.end() && found->second->isActive();
}

void CWindowTimers::Hold() {
    ++m_nHolds;
}

void CWindowTimers::Release() {
    if (--m_nHolds > 0) {
        return;
    }
    for (const int id : m_held) {
        // Posted, so the tick comes when the loop next runs, as the missed tick of a timer
        // on a busy thread does; a timer stopped by then stays quiet.
        QMetaObject::invokeMethod(
            this,
            [this, id] {
                if (IsRunning(id)) {
                    emit tick(id);
                }
            },
            Qt::QueuedConnection);
    }
    m_held.clear();
}

void CWindowTimers::OnTimeout(int id) {
    if (m_nHolds == 0) {
        emit tick(id);
    } else if (std::find(m_held.begin(), m_held.end(), id) == m_held.end()) {
        m_held.push_back(id);
    }
}
