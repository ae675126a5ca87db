#include "core/FileReading.h"

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The first block of a whole-file read when the file's size says nothing (as in /proc).
constexpr size_t kFirstBlock = 4096;

}  // namespace

FileReadStatus CBoundedFile::Open(const std::string& path) {
    // Non-blocking, so that opening a FIFO does not wait for a writer.
    m_fd.Reset(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!m_fd.IsOpen()) {
        return errno == ENOENT ? FileReadStatus::Missing : FileReadStatus::OpenFailed;
    }
    struct stat info {};
    if (fstat(m_fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return FileReadStatus::OpenFailed;
    }
    m_fileSize = static_cast<uint64_t>(info.st_size);
    return m_fileSize > m_maxSize ? FileReadStatus::TooLarge : FileReadStatus::Ok;
}

size_t CBoundedFile::ReadSome(char* buffer, size_t size) {
    if (!m_fd.IsOpen() || m_status != FileReadStatus::Ok) {
        return 0;
    }
    // One byte beyond the maximum tells a file that grew too long from one that ends there.
    size = std::min(size, m_maxSize + 1 - m_read);
    for (;;) {
        const ssize_t got = read(m_fd.Get(), buffer, size);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            m_status = FileReadStatus::ReadFailed;
            return 0;
        }
        m_read += static_cast<size_t>(got);
        if (m_read > m_maxSize) {
            m_status = FileReadStatus::TooLarge;
            return 0;
        }
        return static_cast<size_t>(got);
    }
}

uint64_t CBoundedFile::SizeHint() const {
    return m_fileSize > m_read ? m_fileSize - m_read : 0;
}

FileReadStatus ReadFileBounded(const std::string& path, size_t maxSize, std::string& bytes) {
    bytes.clear();
    CBoundedFile file(maxSize);
    if (const FileReadStatus status = file.Open(path); status != FileReadStatus::Ok) {
        return status;
    }
    // The size of a regular file is a hint: it may change while we read.
    bytes.resize(std::max<size_t>(file.SizeHint() + 1, kFirstBlock));
    size_t filled = 0;
    while (const size_t got = file.ReadSome(bytes.data() + filled, bytes.size() - filled)) {
        filled += got;
        if (filled == bytes.size()) {
            bytes.resize(std::min(bytes.size() * 2, maxSize + 1));
        }
    }
    bytes.resize(filled);
    if (file.Status() != FileReadStatus::Ok) {
        bytes.clear();
    }
    return file.Status();
}
