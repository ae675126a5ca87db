#include "ConsoleProgressWindow.h"

#include "ConsoleOutput.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>

namespace {

using Clock = std::chrono::steady_clock;

// The longest a line waits before it is written while a download runs.
constexpr auto kFlushInterval = std::chrono::milliseconds(100);

int MillisecondsUntil(Clock::time_point moment) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(moment - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace

CConsoleProgressWindow::CConsoleProgressWindow(bool quiet)
    : CWaitingTransferWindow(m_boxes),
      m_bQuiet(quiet),
      m_lines(STDERR_FILENO),
      m_finished(eventfd(0, EFD_CLOEXEC)) {}

CConsoleProgressWindow::~CConsoleProgressWindow() {
    Close();
}

bool CConsoleProgressWindow::Start() {
    sigset_t interrupt;
    sigemptyset(&interrupt);
    sigaddset(&interrupt, SIGINT);
    pthread_sigmask(SIG_BLOCK, &interrupt, &m_previousMask);
    m_interrupts.Reset(signalfd(-1, &interrupt, SFD_CLOEXEC));
    m_bStarted = true;
    return m_finished.IsOpen();
}

void CConsoleProgressWindow::WaitForWorker(const std::function<void()>& onCancel) {
    // Without its event the window cannot wait: the job then waits for the worker itself.
    if (!m_finished.IsOpen()) {
        return;
    }
    pollfd waits[2] = {{m_finished.Get(), POLLIN, 0}, {m_interrupts.Get(), POLLIN, 0}};
    const nfds_t count = m_interrupts.IsOpen() ? 2 : 1;
    // Quiet, there is nothing to write: no reason to wake up.
    Clock::time_point nextFlush = Clock::now() + kFlushInterval;
    for (;;) {
        const int ready = poll(waits, count, m_bQuiet ? -1 : MillisecondsUntil(nextFlush));
        if (!m_bQuiet && Clock::now() >= nextFlush) {
            m_lines.Flush();
            nextFlush = Clock::now() + kFlushInterval;
        }
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (waits[0].revents & POLLIN) {
            return;
        }
        signalfd_siginfo signal{};
        if ((waits[1].revents & POLLIN) &&
            read(m_interrupts.Get(), &signal, sizeof signal) == sizeof signal) {
            onCancel();
        }
    }
}

void CConsoleProgressWindow::Close() {
    if (!m_bStarted) {
        return;
    }
    m_bStarted = false;
    CWaitingTransferWindow::Close();
    m_lines.Flush();
    m_interrupts.Reset();
    pthread_sigmask(SIG_SETMASK, &m_previousMask, nullptr);
}

void CConsoleProgressWindow::Show(const Update& update) {
    if (!m_bQuiet && update.kind != Kind::Total && !update.text.empty()) {
        m_lines.Add(update.text);
    }
}

void CConsoleProgressWindow::NotifyFinished() {
    m_lines.Flush();
    CWaitingTransferWindow::NotifyFinished();
    const uint64_t one = 1;
    if (write(m_finished.Get(), &one, sizeof one) != sizeof one) {
        PrintError("cannot signal the end of the download\n");
    }
}
