#include "remote/PartFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace {

// A link is replaced where it points, as writing through it would.
std::string ResolveLink(const std::string& path) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
        return path;
    }
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The permissions a new file gets here: 0666 less the process's umask, read without
// changing it (umask(2) would race with other threads creating files).
mode_t NewFileMode() {
    mode_t mask = 022;
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("Umask:")) {
            mask = static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
        }
    }
    return 0666 & ~mask;
}

}  // namespace

CPartFile::CPartFile(const std::string& destination) : m_strDestination(ResolveLink(destination)) {}

CPartFile::~CPartFile() {
    Remove();
}

bool CPartFile::Open() {
    struct stat info {};
    if (stat(m_strDestination.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            m_nError = EISDIR;
            return false;
        }
        if (access(m_strDestination.c_str(), W_OK) != 0) {
            return Fail();
        }
    }
    std::string pattern = FolderOf(m_strDestination) + "/.mvn-download-XXXXXX";
    m_fd = mkostemp(pattern.data(), O_CLOEXEC);
    if (m_fd < 0) {
        return Fail();
    }
    m_strTemporary = pattern;
    return true;
}

bool CPartFile::Write(const char* data, size_t size) {
    while (size > 0) {
        const ssize_t written = write(m_fd, data, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return Fail();
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

bool CPartFile::Commit() {
    struct stat info {};
    const mode_t mode =
        stat(m_strDestination.c_str(), &info) == 0 ? info.st_mode & 07777 : NewFileMode();
    const int fd = m_fd;
    m_fd = -1;
    if (fchmod(fd, mode) != 0) {
        m_nError = errno;
        close(fd);
        return false;
    }
    if (close(fd) != 0 || rename(m_strTemporary.c_str(), m_strDestination.c_str()) != 0) {
        return Fail();
    }
    m_strTemporary.clear();
    return true;
}

bool CPartFile::Fail() {
    m_nError = errno;
    return false;
}

void CPartFile::Remove() {
    if (m_fd >= 0) {
        close(m_fd);
        m_fd = -1;
    }
    if (!m_strTemporary.empty()) {
        unlink(m_strTemporary.c_str());
        m_strTemporary.clear();
    }
}
