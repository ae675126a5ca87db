#include "app/WindowTimers.h"

#include <QTimer>

#include <algorithm>

void CWindowTimers::Start(int id, int periodMs) {
    QTimer*& timer = m_timers[id];
    if (!timer) {
        timer = new QTimer(this);
        // A coarse timer may fire 5 % off its period, three seconds of a minute: passes
        // would drift away from second 0.
        timer->setTimerType(Qt::PreciseTimer);
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
        Post(id);
    }
    m_held.clear();
}

void CWindowTimers::OnTimeout(int id) {
    if (m_nHolds > 0) {
        KeepBack(id);
    } else {
        Post(id);
    }
}

void CWindowTimers::KeepBack(int id) {
    if (std::find(m_held.begin(), m_held.end(), id) == m_held.end()) {
        m_held.push_back(id);
    }
}

void CWindowTimers::Post(int id) {
    if (!m_posted.insert(id).second) {
        return;
    }
    QMetaObject::invokeMethod(
        this, [this, id] { Report(id); }, Qt::QueuedConnection);
}

// A timer stopped since its tick was posted stays quiet; a hold that began since keeps the
// tick back.
void CWindowTimers::Report(int id) {
    m_posted.erase(id);
    if (!IsRunning(id)) {
        return;
    }
    if (m_nHolds > 0) {
        KeepBack(id);
    } else {
        emit tick(id);
    }
}
