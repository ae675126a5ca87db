#include "core/LocalCopy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

namespace {

class FileHandle {
public:
    explicit FileHandle(int fd) : m_fd(fd) {}
    ~FileHandle() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    int Get() const { return m_fd; }
    bool Close() {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool WriteAll(int fd, const char* bytes, ssize_t count) {
    while (count > 0) {
        const ssize_t written = ::write(fd, bytes, static_cast<size_t>(count));
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes += written;
        count -= written;
    }
    return true;
}

bool CopyContent(int from, int to) {
    char buffer[65536];
    for (;;) {
        const ssize_t count = ::read(from, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return count == 0;
        }
        if (!WriteAll(to, buffer, count)) {
            return false;
        }
    }
}

// The file that the target names: a link is followed, so the copy lands where it points.
std::string ResolveTarget(const std::string& target) {
    char* real = ::realpath(target.c_str(), nullptr);
    if (!real) {
        return target;
    }
    std::string resolved(real);
    std::free(real);
    return resolved;
}

bool IsRegularFile(int fd) {
    struct stat status {};
    return ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
}

// An existing target that may not be written is not replaced.
bool MayReplace(const std::string& target) {
    return ::access(target.c_str(), F_OK) != 0 || ::access(target.c_str(), W_OK) == 0;
}

bool WriteCopy(const std::string& source, const std::string& target) {
    FileHandle in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.Get() < 0 || !IsRegularFile(in.Get()) || !MayReplace(target)) {
        return false;
    }
    const std::filesystem::path targetPath(target);
    std::filesystem::path folder = targetPath.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    std::string hiddenName(".");
    hiddenName += targetPath.filename().string();
    hiddenName += ".XXXXXX";
    std::string temporary = (folder / hiddenName).string();
    FileHandle out(::mkostemp(temporary.data(), O_CLOEXEC));
    if (out.Get() < 0) {
        return false;
    }
    const bool copied = CopyContent(in.Get(), out.Get()) && ::fsync(out.Get()) == 0 &&
                        out.Close() && ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!copied) {
        ::unlink(temporary.c_str());
    }
    return copied;
}

// Carries the source's times and permissions over, in this order: read the source's,
// set the target's times, then its permissions. A step that fails does not stop the next.
void CarryAttributes(const std::string& source, const std::string& target) {
    struct stat status {};
    bool haveStatus = false;
    {
        FileHandle in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
        haveStatus = in.Get() >= 0 && ::fstat(in.Get(), &status) == 0;
    }
    if (!haveStatus) {
        return;
    }
    {
        FileHandle out(::open(target.c_str(), O_WRONLY | O_CLOEXEC));
        const struct timespec times[2] = {status.st_atim, status.st_mtim};
        if (out.Get() >= 0) {
            ::futimens(out.Get(), times);
        }
    }
    ::chmod(target.c_str(), status.st_mode & 07777);
}

}  // namespace

int CopyLocalFile(const std::string& source, const std::string& target) {
    const std::string destination = ResolveTarget(target);
    if (!WriteCopy(source, destination)) {
        return 0;
    }
    CarryAttributes(source, destination);
    return 1;
}
