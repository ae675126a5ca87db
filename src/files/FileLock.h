#pragma once

#include "files/FileDescriptor.h"

#include <string>

// An advisory lock (flock) on a lock file, held from TryLock until the object goes. The
// kernel releases it when its holder ends, however it ends, so a killed holder never
// leaves it taken. The lock file is made when missing, readable and writable by its owner
// only, and never removed: a process may be waiting to lock the very file that another
// would remove, and both would then think they hold it.
class CFileLock {
public:
    enum class Outcome {
        Taken,        // this object holds the lock
        Held,         // another holder has it (another process, or another object here)
        Unavailable,  // the lock file cannot be opened, made or locked
    };

    // A lock taken is held until the object goes; after Held or Unavailable, try again.
    Outcome TryLock(const std::string& lockFile);

private:
    CFileDescriptor m_fd;
};
