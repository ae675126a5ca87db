#include "core/AtomicFileWrite.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include <fcntl.h>
#include <unistd.h>

namespace {

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

// The file that a save replaces: the target of a symbolic link rather than the link.
std::string ReplacedFile(const std::string& path) {
    std::error_code error;
    const std::filesystem::path resolved = std::filesystem::canonical(path, error);
    return error ? path : resolved.string();
}

// So that the rename itself survives a crash. A failure here loses nothing already saved.
void SyncFolderOf(const std::string& file) {
    const std::filesystem::path parent = std::filesystem::path(file).parent_path();
    const std::string folder = parent.empty() ? std::string(".") : parent.string();
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

}  // namespace

FileWriteStatus WriteFileAtomically(const std::string& path, std::string_view bytes) {
    if (path.empty()) {
        return FileWriteStatus::CreateFailed;
    }
    const std::string target = ReplacedFile(path);
    std::string temporary = target + ".XXXXXX";
    // mkostemp creates the file with mode 0600 before any byte is in it.
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        return FileWriteStatus::CreateFailed;
    }
    const bool written = WriteAll(fd, bytes) && fsync(fd) == 0;
    const bool closed = close(fd) == 0;
    if (!written || !closed) {
        unlink(temporary.c_str());
        return FileWriteStatus::WriteFailed;
    }
    if (rename(temporary.c_str(), target.c_str()) != 0) {
        unlink(temporary.c_str());
        return FileWriteStatus::CreateFailed;
    }
    SyncFolderOf(target);
    return FileWriteStatus::Ok;
}
