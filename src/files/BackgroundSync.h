#pragma once

#include <sys/types.h>

#include <condition_variable>
#include <mutex>
#include <thread>

// Flushes a file that is being written to the disk from a thread of its own, a step behind
// the writer, so that the writer's final fsync has little left to wait for. The thread
// starts only when a file grows beyond one step. A failed flush is kept: the kernel reports
// a write error to one flush only, so the writer must hear of it here.
class CBackgroundSync {
public:
    explicit CBackgroundSync(int fd) : m_fd(fd) {}
    ~CBackgroundSync() { Stop(); }
    CBackgroundSync(const CBackgroundSync&) = delete;
    CBackgroundSync& operator=(const CBackgroundSync&) = delete;

    // The file now holds `size` bytes.
    void Grown(off_t size);
    // Waits for a flush under way and ends the thread; 0, or errno of a flush that failed.
    int Stop();

private:
    void Run();

    const int m_fd;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::thread m_thread;
    off_t m_nSize = 0;    // what the writer has written
    off_t m_nSynced = 0;  // what the last flush covered
    int m_nError = 0;
    bool m_bStopping = false;
};
