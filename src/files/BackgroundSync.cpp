#include "files/BackgroundSync.h"

#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace {

// The data a flush waits for: enough that the flushes cost little, little enough that the
// last one leaves the final fsync almost nothing.
constexpr off_t kSyncStep = off_t{16} << 20;

}  // namespace

void CBackgroundSync::Grown(off_t size) {
    std::unique_lock lock(m_mutex);
    m_nSize = size;
    if (m_nSize - m_nSynced < kSyncStep) {
        return;
    }
    if (m_thread.joinable()) {
        lock.unlock();
        m_wake.notify_one();
        return;
    }
    try {
        m_thread = std::thread(&CBackgroundSync::Run, this);
    } catch (const std::system_error&) {
        m_nSynced = size;  // without a thread, the final fsync does it all
    }
}

int CBackgroundSync::Stop() {
    {
        const std::lock_guard lock(m_mutex);
        m_bStopping = true;
    }
    m_wake.notify_one();
    if (m_thread.joinable()) {
        m_thread.join();
    }
    return m_nError;
}

void CBackgroundSync::Run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_bStopping || m_nSize - m_nSynced >= kSyncStep; });
        if (m_bStopping) {
            return;
        }
        const off_t size = m_nSize;
        lock.unlock();
        const int error = fdatasync(m_fd) == 0 ? 0 : errno;
        lock.lock();
        m_nSynced = size;
        if (error != 0 && m_nError == 0) {
            m_nError = error;
        }
    }
}
