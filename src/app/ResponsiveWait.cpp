#include "app/ResponsiveWait.h"

#include "app/WindowTimers.h"
#include "files/TemporaryFiles.h"

#include <QApplication>
#include <QCursor>
#include <QEventLoop>
#include <QPointer>
#include <QWindow>

#include <atomic>
#include <thread>
#include <vector>

namespace {

// Keeps back the window manager's requests to close a window (they are not user input,
// so the wait's loop would deliver them) and passes them on once the wait is over.
class CCloseRequestsHeld : public QObject {
public:
    CCloseRequestsHeld() { qApp->installEventFilter(this); }
    ~CCloseRequestsHeld() override {
        qApp->removeEventFilter(this);
        for (const QPointer<QWindow>& window : m_windows) {
            if (window) {
                QMetaObject::invokeMethod(window, &QWindow::close, Qt::QueuedConnection);
            }
        }
    }
    CCloseRequestsHeld(const CCloseRequestsHeld&) = delete;
    CCloseRequestsHeld& operator=(const CCloseRequestsHeld&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Close || !event->spontaneous() || !watched->isWindowType()) {
            return false;
        }
        event->ignore();
        m_windows.emplace_back(static_cast<QWindow*>(watched));
        return true;
    }

private:
    std::vector<QPointer<QWindow>> m_windows;
};

// The wait cursor and the held timers for the lifetime of the scope.
class CWaitScope {
public:
    explicit CWaitScope(CWindowTimers* timers) : m_timers(timers) {
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        if (m_timers) {
            m_timers->Hold();
        }
    }
    ~CWaitScope() {
        if (m_timers) {
            m_timers->Release();
        }
        QApplication::restoreOverrideCursor();
    }
    CWaitScope(const CWaitScope&) = delete;
    CWaitScope& operator=(const CWaitScope&) = delete;

private:
    CWindowTimers* m_timers;
};

}  // namespace

void CResponsiveWait::Run(const std::function<void()>& work) {
    const CWaitScope scope(m_timers);
    const CCloseRequestsHeld closes;
    QEventLoop loop;
    std::atomic<bool> bWorkEnded{false};
    std::thread worker;
    // Started from inside the loop: a loop that returns at once, because the run has already
    // ended, starts no work at all. The quit is queued to this thread, so it reaches the loop
    // even when the work ends before the loop has turned again.
    QMetaObject::invokeMethod(
        &loop,
        [&] {
            worker = std::thread([&work, &loop, &bWorkEnded] {
                work();
                bWorkEnded = true;
                QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
            });
        },
        Qt::QueuedConnection);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!bWorkEnded) {
        // The run has ended while the work goes on, and nothing bounds how long it may take
        // (a viewer the user keeps open, a server that never answers): the session's SIGKILL
        // follows a SIGTERM within seconds. The worker still uses what static destructors
        // and the application's teardown would destroy, so the process ends here.
        EndProcessAtOnce(0);
    }
    worker.join();
}
