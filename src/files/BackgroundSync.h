#pragma once

#include <sys/types.h>

#include <memory>
#include <thread>

// Flushes a file that is being written to the disk from a thread of its own, a step behind
// the writer, so that the writer's final fsync has little left to wait for. The thread
// starts only when a file grows beyond one step, and works on its own descriptor of the
// file, so that a writer that gives up need not wait for a flush under way. A failed flush
// is kept: the kernel reports a write error to one flush only, so the writer must hear of
// it here.
class CBackgroundSync {
public:
    explicit CBackgroundSync(int fd);
    ~CBackgroundSync() { Abandon(); }
    CBackgroundSync(const CBackgroundSync&) = delete;
    CBackgroundSync& operator=(const CBackgroundSync&) = delete;

    // The file now holds `size` bytes.
    void Grown(off_t size);
    // Waits for a flush under way and ends the thread; 0, or errno of a flush that failed.
    int Finish();
    // Ends the thread without waiting: a flush under way ends on its own.
    void Abandon();

private:
    struct Shared;
    static void Run(std::shared_ptr<Shared> shared);
    void Stop();

    const int m_fd;
    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
};
