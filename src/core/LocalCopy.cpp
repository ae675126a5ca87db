#include "core/LocalCopy.h"

#include "files/FileDescriptor.h"
#include "files/FileReplacement.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

LocalCopyResult SourceFault(int error) {
    return {LocalCopyResult::Fault::Source, error};
}

LocalCopyResult TargetFault(int error) {
    return {LocalCopyResult::Fault::Target, error};
}

LocalCopyResult CopyContent(int from, CFileReplacement& to) {
    char buffer[65536];
    for (;;) {
        const ssize_t count = ::read(from, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            return SourceFault(errno);
        }
        if (count == 0) {
            return {};
        }
        if (!to.Write(buffer, static_cast<size_t>(count))) {
            return TargetFault(to.Error());
        }
    }
}

}  // namespace

LocalCopyResult CopyLocalFile(const std::string& source, const std::string& target) {
    // Non-blocking, so that opening a FIFO does not wait for a writer; no controlling
    // terminal from a terminal device.
    const CFileDescriptor in(::open(source.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat status {};
    if (!in.IsOpen() || ::fstat(in.Get(), &status) != 0) {
        return SourceFault(errno);
    }
    if (!S_ISREG(status.st_mode)) {
        return SourceFault(S_ISDIR(status.st_mode) ? EISDIR : EINVAL);
    }
    CFileReplacement out(target);
    if (!out.Open()) {
        return TargetFault(out.Error());
    }
    if (const LocalCopyResult copied = CopyContent(in.Get(), out); !copied.Copied()) {
        return copied;
    }
    const int written = out.Descriptor();
    if (written < 0) {
        return TargetFault(out.Error());
    }
    const struct timespec times[2] = {status.st_atim, status.st_mtim};
    ::futimens(written, times);
    return out.Commit(status.st_mode & 07777) ? LocalCopyResult{} : TargetFault(out.Error());
}
