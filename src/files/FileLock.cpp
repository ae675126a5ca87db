#include "files/FileLock.h"

#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

namespace {

// Not through a link, and without waiting on a FIFO put in its place; a lock file that we
// may only read still takes a lock.
int OpenLockFile(const std::string& path) {
    constexpr int kFlags = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY;
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | kFlags, 0600);
    return fd >= 0 || errno != EACCES ? fd : open(path.c_str(), O_RDONLY | kFlags);
}

}  // namespace

CFileLock::Outcome CFileLock::TryLock(const std::string& lockFile) {
    CFileDescriptor fd(OpenLockFile(lockFile));
    struct stat info {};
    if (!fd.IsOpen() || fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return Outcome::Unavailable;
    }
    if (flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
        return errno == EWOULDBLOCK ? Outcome::Held : Outcome::Unavailable;
    }
    m_fd = std::move(fd);
    return Outcome::Taken;
}
