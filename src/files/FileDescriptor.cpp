#include "files/FileDescriptor.h"

#include <unistd.h>

#include <cerrno>
#include <utility>

void CFileDescriptor::Reset(int fd) {
    if (m_fd >= 0 && m_fd != fd) {
        close(m_fd);
    }
    m_fd = fd;
}

int CFileDescriptor::Release() {
    return std::exchange(m_fd, -1);
}

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t written = write(fd, data, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            errno = written < 0 ? errno : EIO;
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}
