#include "core/FileReading.h"

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Closes the descriptor when the read returns, whatever the outcome.
class CFileDescriptor {
public:
    explicit CFileDescriptor(int fd) : m_fd(fd) {}
    ~CFileDescriptor() {
        if (m_fd >= 0) {
            close(m_fd);
        }
    }
    CFileDescriptor(const CFileDescriptor&) = delete;
    CFileDescriptor& operator=(const CFileDescriptor&) = delete;

    int Get() const { return m_fd; }

private:
    int m_fd;
};

// Reads until the end of the file or until more than `maxSize` bytes have arrived.
FileReadStatus ReadAll(int fd, size_t sizeHint, size_t maxSize, std::string& bytes) {
    bytes.clear();
    // The size of a regular file is a hint: it may change while we read.
    bytes.resize(std::min(sizeHint, maxSize) + 1);
    size_t filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            if (filled > maxSize) {
                return FileReadStatus::TooLarge;
            }
            bytes.resize(std::min(bytes.size() * 2, maxSize + 1));
        }
        const ssize_t got = read(fd, bytes.data() + filled, bytes.size() - filled);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return FileReadStatus::ReadFailed;
        }
        if (got == 0) {
            bytes.resize(filled);
            return FileReadStatus::Ok;
        }
        filled += static_cast<size_t>(got);
    }
}

}  // namespace

FileReadStatus ReadFileBounded(const std::string& path, size_t maxSize, std::string& bytes) {
    bytes.clear();
    // Non-blocking, so that opening a FIFO does not wait for a writer.
    const CFileDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (file.Get() < 0) {
        return errno == ENOENT ? FileReadStatus::Missing : FileReadStatus::OpenFailed;
    }
    struct stat info {};
    if (fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return FileReadStatus::OpenFailed;
    }
    if (static_cast<unsigned long long>(info.st_size) > maxSize) {
        return FileReadStatus::TooLarge;
    }
    const FileReadStatus status =
        ReadAll(file.Get(), static_cast<size_t>(info.st_size), maxSize, bytes);
    if (status != FileReadStatus::Ok) {
        bytes.clear();
    }
    return status;
}
