#include "core/LocalCopy.h"

#include "files/FileDescriptor.h"
#include "files/FileReplacement.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

bool CopyContent(int from, CFileReplacement& to) {
    char buffer[65536];
    for (;;) {
        const ssize_t count = ::read(from, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return count == 0;
        }
        if (!to.Write(buffer, static_cast<size_t>(count))) {
            return false;
        }
    }
}

}  // namespace

int CopyLocalFile(const std::string& source, const std::string& target) {
    // Non-blocking, so that opening a FIFO does not wait for a writer; no controlling
    // terminal from a terminal device.
    const CFileDescriptor in(::open(source.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat status {};
    if (in.Get() < 0 || ::fstat(in.Get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return 0;
    }
    CFileReplacement out(target);
    if (!out.Open() || !CopyContent(in.Get(), out)) {
        return 0;
    }
    const struct timespec times[2] = {status.st_atim, status.st_mtim};
    ::futimens(out.Descriptor(), times);
    return out.Commit(status.st_mode & 07777) ? 1 : 0;
}
