#include "files/BackgroundSync.h"

#include "files/FileDescriptor.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <system_error>

namespace {

// The data a flush waits for: enough that the flushes cost little, little enough that the
// last one leaves the final fsync almost nothing.
constexpr off_t kSyncStep = off_t{16} << 20;

}  // namespace

// What the writer and the thread share; the thread may outlive the writer.
struct CBackgroundSync::Shared {
    std::mutex mutex;
    std::condition_variable wake;
    CFileDescriptor fd;  // the thread's own descriptor of the file
    off_t size = 0;      // what the writer has written
    off_t synced = 0;    // what the last flush covered
    int error = 0;
    bool stopping = false;
};

CBackgroundSync::CBackgroundSync(int fd) : m_fd(fd), m_shared(std::make_shared<Shared>()) {}

void CBackgroundSync::Grown(off_t size) {
    std::unique_lock lock(m_shared->mutex);
    m_shared->size = size;
    if (size - m_shared->synced < kSyncStep) {
        return;
    }
    if (m_thread.joinable()) {
        lock.unlock();
        m_shared->wake.notify_one();
        return;
    }
    m_shared->fd.Reset(fcntl(m_fd, F_DUPFD_CLOEXEC, 0));
    try {
        if (m_shared->fd.IsOpen()) {
            m_thread = std::thread(&CBackgroundSync::Run, m_shared);
            return;
        }
    } catch (const std::system_error&) {
        m_shared->fd.Reset();
    }
    m_shared->synced = size;  // without a thread, the final fsync does it all
}

int CBackgroundSync::Finish() {
    Stop();
    if (m_thread.joinable()) {
        m_thread.join();
    }
    const std::lock_guard lock(m_shared->mutex);
    return m_shared->error;
}

void CBackgroundSync::Abandon() {
    Stop();
    if (m_thread.joinable()) {
        m_thread.detach();
    }
}

void CBackgroundSync::Stop() {
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->stopping = true;
    }
    m_shared->wake.notify_one();
}

void CBackgroundSync::Run(std::shared_ptr<Shared> shared) {
    std::unique_lock lock(shared->mutex);
    for (;;) {
        shared->wake.wait(lock, [&shared] {
            return shared->stopping || shared->size - shared->synced >= kSyncStep;
        });
        if (shared->stopping) {
            break;
        }
        const off_t size = shared->size;
        lock.unlock();
        const int error = fdatasync(shared->fd.Get()) == 0 ? 0 : errno;
        lock.lock();
        shared->synced = size;
        if (error != 0 && shared->error == 0) {
            shared->error = error;
        }
    }
    shared->fd.Reset();
}
