#include "app/ResponsiveWait.h"

#include "app/WindowTimers.h"
#include "files/TemporaryFiles.h"
#include "ui/UserInput.h"

#include <QApplication>
#include <QCursor>
#include <QEventLoop>
#include <QPointer>
#include <QWindow>

#include <atomic>
#include <thread>
#include <vector>

namespace {

// What the windows receive while the program waits. What the user clicks or types is
// dropped: kept for later, it would act when the wait ends, on whatever is then under the
// pointer. The window manager's requests to close a window are not the user's input to a
// window, so they are kept back and passed on once the wait is over.
class CWaitFilter : public QObject {
public:
    CWaitFilter() { qApp->installEventFilter(this); }
    ~CWaitFilter() override {
        qApp->removeEventFilter(this);
        for (const QPointer<QWindow>& window : m_closeRequests) {
            if (window) {
                QMetaObject::invokeMethod(window, &QWindow::close, Qt::QueuedConnection);
            }
        }
    }
    CWaitFilter(const CWaitFilter&) = delete;
    CWaitFilter& operator=(const CWaitFilter&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!event->spontaneous()) {
            return false;
        }
        if (IsUserInput(event->type())) {
            event->ignore();
            return true;
        }
        if (event->type() == QEvent::Close && watched->isWindowType()) {
            event->ignore();
            m_closeRequests.emplace_back(static_cast<QWindow*>(watched));
            return true;
        }
        return false;
    }

private:
    std::vector<QPointer<QWindow>> m_closeRequests;
};

// The wait cursor, the held timers and the count of waits under way for the lifetime of the
// scope.
class CWaitScope {
public:
    CWaitScope(CWindowTimers* timers, int& depth) : m_timers(timers), m_nDepth(depth) {
        ++m_nDepth;
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
        --m_nDepth;
    }
    CWaitScope(const CWaitScope&) = delete;
    CWaitScope& operator=(const CWaitScope&) = delete;

private:
    CWindowTimers* m_timers;
    int& m_nDepth;
};

}  // namespace

void CResponsiveWait::Run(const std::function<void()>& work) {
    const CWaitScope scope(m_timers, m_nDepth);
    const CWaitFilter filter;
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
    loop.exec();
    if (!bWorkEnded) {
        // The run has ended while the work goes on, and nothing bounds how long it may take
        // (a viewer the user keeps open, a server that never answers): the session's SIGKILL
        // follows a SIGTERM within seconds. The worker still uses what static destructors
        // and the application's teardown would destroy, so the process ends here.
        EndProcessAtOnce(0);
    }
    worker.join();
}
