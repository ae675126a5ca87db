#include "files/FileNames.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kMaxLinks = 40;  // as the kernel allows in one path

// rename(2) that fails with EEXIST instead of replacing `to`. A file system that cannot
// refuse in the same step is asked first, which leaves only a moment for a race.
bool RenameWithoutReplacing(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return false;
    }
    struct stat info {};
    if (lstat(to.c_str(), &info) == 0) {
        errno = EEXIST;
        return false;
    }
    return rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool FollowLinks(const std::string& path, std::string& resolved) {
    resolved = path;
    for (int hops = 0; hops <= kMaxLinks; ++hops) {
        struct stat info {};
        if (lstat(resolved.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return true;
        }
        std::string link(static_cast<size_t>(info.st_size) + 1, '\0');
        const ssize_t length = readlink(resolved.c_str(), link.data(), link.size());
        if (length < 0 || static_cast<size_t>(length) >= link.size()) {
            errno = length < 0 ? errno : EAGAIN;  // changed while we read it
            return false;
        }
        link.resize(static_cast<size_t>(length));
        resolved = link.starts_with('/') ? link : FolderOf(resolved).append("/").append(link);
    }
    errno = ELOOP;
    return false;
}

std::string CanonicalTarget(const std::string& path) {
    std::string target;
    if (!FollowLinks(path, target)) {
        target = path;
    }
    char folder[PATH_MAX];
    if (!realpath(FolderOf(target).c_str(), folder)) {
        return target;
    }
    const std::string name = NameOf(target);
    const std::string prefix = folder;
    return prefix == "/" ? "/" + name : prefix + "/" + name;
}

bool MoveAside(const std::string& path, const std::string& suffix, std::string& movedTo) {
    std::string target;
    if (!FollowLinks(path, target)) {
        return false;
    }
    const std::string aside = target + suffix;
    if (!RenameWithoutReplacing(target, aside)) {
        return false;
    }
    movedTo = aside;
    return true;
}
