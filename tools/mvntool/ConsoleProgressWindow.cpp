#include "ConsoleProgressWindow.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>

#include "remote/ProgressPercent.h"

namespace {

using Clock = std::chrono::steady_clock;

// The longest a line waits before it is written while a download runs.
constexpr auto kFlushInterval = std::chrono::milliseconds(100);

int MillisecondsUntil(Clock::time_point moment) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(moment - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace

ConsoleProgressWindow::ConsoleProgressWindow(bool quiet)
    : m_bQuiet(quiet), m_lines(STDERR_FILENO), m_finished(eventfd(0, EFD_CLOEXEC)) {}

ConsoleProgressWindow::~ConsoleProgressWindow() {
    Close();
    if (m_finished >= 0) {
        close(m_finished);
    }
}

bool ConsoleProgressWindow::Start() {
    sigset_t interrupt;
    sigemptyset(&interrupt);
    sigaddset(&interrupt, SIGINT);
    pthread_sigmask(SIG_BLOCK, &interrupt, &m_previousMask);
    m_interrupts = signalfd(-1, &interrupt, SFD_CLOEXEC);
    m_bStarted = true;
    return m_finished >= 0;
}

void ConsoleProgressWindow::WaitForWorker(const std::function<void()>& onCancel) {
    // Without its event the window cannot wait: the job then waits for the worker itself.
    if (m_finished < 0) {
        return;
    }
    pollfd waits[2] = {{m_finished, POLLIN, 0}, {m_interrupts, POLLIN, 0}};
    const nfds_t count = m_interrupts >= 0 ? 2 : 1;
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
            read(m_interrupts, &signal, sizeof signal) == sizeof signal) {
            onCancel();
        }
    }
}

void ConsoleProgressWindow::Close() {
    if (!m_bStarted) {
        return;
    }
    m_bStarted = false;
    m_lines.Flush();
    if (m_interrupts >= 0) {
        close(m_interrupts);
        m_interrupts = -1;
    }
    pthread_sigmask(SIG_SETMASK, &m_previousMask, nullptr);
}

void ConsoleProgressWindow::SetCaptionFile(const std::string& path) {
    if (m_bQuiet) {
        return;
    }
    m_lines.Add(CaptionForFile(path));
}

void ConsoleProgressWindow::SetStatusText(const std::string& text) {
    if (m_bQuiet) {
        return;
    }
    m_lines.Add(text);
}

void ConsoleProgressWindow::SetTotal(int32_t total) {
    m_nUpper = total;
}

void ConsoleProgressWindow::SetDone(int32_t position) {
    const auto percent = PercentFor(position, 0, m_nUpper);
    if (!m_bQuiet && percent && *percent != m_nLastPercent) {
        m_nLastPercent = *percent;
        m_lines.Add(PercentText(*percent));
    }
}

void ConsoleProgressWindow::NotifyFinished() {
    m_lines.Flush();
    const uint64_t one = 1;
    if (write(m_finished, &one, sizeof one) != sizeof one) {
        std::fprintf(stderr, "cannot signal the end of the download\n");
    }
}
