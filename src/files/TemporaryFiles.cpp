#include "files/TemporaryFiles.h"

#include <atomic>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include <fcntl.h>
#include <unistd.h>

namespace {

enum SlotState : int { kFree, kFilling, kRecorded, kRemoved };

struct Slot {
    std::atomic<int> state{kFree};
    char path[PATH_MAX];
};

// A handful of downloads and a list save at a time, and the copies kept for viewers that
// returned at once (at most half the slots); more go unrecorded.
constexpr int kSlots = 32;
Slot g_slots[kSlots];

static_assert(std::atomic<int>::is_always_lock_free, "slots are read in signal handlers");

void RemoveAndReraise(int signal) {
    RemoveTemporaryFilesInFlight();
    // The default action ends the process; should it not, the process ends anyway.
    if (std::signal(signal, SIG_DFL) == SIG_ERR || raise(signal) != 0) {
        _exit(128 + signal);
    }
}

// Held from the creation of a temporary file to its record, and by the end of the process
// for good, so that the process never ends between the two and leaves an unrecorded file.
std::mutex g_creation;

int RecordTemporaryFile(const char* path) {
    const size_t length = std::strlen(path);
    if (length >= PATH_MAX) {
        return -1;
    }
    for (int i = 0; i < kSlots; ++i) {
        int expected = kFree;
        if (g_slots[i].state.compare_exchange_strong(expected, kFilling)) {
            std::memcpy(g_slots[i].path, path, length + 1);
            g_slots[i].state.store(kRecorded, std::memory_order_release);
            return i;
        }
    }
    return -1;
}

}  // namespace

int CreateRecordedTemporaryFile(char* pattern, int& slot, int suffixLength) {
    const std::lock_guard<std::mutex> creating(g_creation);
    const int fd = mkostemps(pattern, suffixLength, O_CLOEXEC);
    slot = fd < 0 ? -1 : RecordTemporaryFile(pattern);
    return fd;
}

void ForgetTemporaryFile(int slot) {
    if (slot < 0 || slot >= kSlots) {
        return;
    }
    // A slot already removed stays taken: its owner may still be running.
    int expected = kRecorded;
    g_slots[slot].state.compare_exchange_strong(expected, kFree);
}

void RemoveTemporaryFilesInFlight() {
    for (Slot& slot : g_slots) {
        int expected = kRecorded;
        if (slot.state.compare_exchange_strong(expected, kRemoved, std::memory_order_acquire)) {
            unlink(slot.path);
        }
    }
}

void EndProcessAtOnce(int status) {
    g_creation.lock();
    RemoveTemporaryFilesInFlight();
    // The process ends either way; a stream that cannot be flushed has no one left to tell.
    (void)std::fflush(nullptr);
    _exit(status);
}

void RemoveTemporaryFilesOnTerminationSignals() {
    struct sigaction action {};
    action.sa_handler = &RemoveAndReraise;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        sigaddset(&action.sa_mask, signal);
    }
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        // A signal ignored by whoever started us (nohup) stays ignored.
        struct sigaction current {};
        if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler != SIG_IGN) {
            sigaction(signal, &action, nullptr);
        }
    }
}

void IgnoreFileSizeLimitSignal() {
    // Cannot fail: the signal and the disposition are both valid.
    (void)std::signal(SIGXFSZ, SIG_IGN);
}
