#include "app/TerminationSignals.h"

#include "files/TemporaryFiles.h"

#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
constexpr int kSignalCount = sizeof kSignals / sizeof kSignals[0];

int g_pipe[2] = {-1, -1};
std::atomic<bool> g_bReceived{false};
struct sigaction g_former[kSignalCount];
bool g_bInstalled[kSignalCount] = {};

static_assert(std::atomic<bool>::is_always_lock_free, "read and written in a signal handler");

void OnTerminationSignal(int number) {
    if (g_bReceived.exchange(true)) {
        RemoveTemporaryFilesInFlight();
        // The default action ends the process; should it not, the process ends anyway.
        if (std::signal(number, SIG_DFL) == SIG_ERR || raise(number) != 0) {
            _exit(128 + number);
        }
        return;
    }
    const int savedErrno = errno;
    const char byte = 1;
    // The pipe is empty when the first signal comes, so the byte always fits.
    [[maybe_unused]] const ssize_t written = write(g_pipe[1], &byte, 1);
    errno = savedErrno;
}

}  // namespace

CTerminationSignals::CTerminationSignals() {
    if (pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &CTerminationSignals::OnPipeReadable);
    struct sigaction action {};
    action.sa_handler = &OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    for (const int number : kSignals) {
        sigaddset(&action.sa_mask, number);
    }
    for (int i = 0; i < kSignalCount; ++i) {
        if (sigaction(kSignals[i], nullptr, &g_former[i]) == 0 &&
            g_former[i].sa_handler != SIG_IGN) {
            g_bInstalled[i] = sigaction(kSignals[i], &action, nullptr) == 0;
        }
    }
}

CTerminationSignals::~CTerminationSignals() {
    delete m_notifier;
    for (int i = 0; i < kSignalCount; ++i) {
        if (g_bInstalled[i]) {
            sigaction(kSignals[i], &g_former[i], nullptr);
            g_bInstalled[i] = false;
        }
    }
    // Only now: a handler still installed would write into whatever took the descriptor.
    for (int& end : g_pipe) {
        if (end >= 0) {
            close(end);
            end = -1;
        }
    }
    g_bReceived = false;
}

void CTerminationSignals::OnPipeReadable() {
    char byte = 0;
    while (read(g_pipe[0], &byte, 1) == 1) {
    }
    emit received();
}
