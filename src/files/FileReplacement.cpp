#include "files/FileReplacement.h"

#include "files/FileDescriptor.h"
#include "files/FileNames.h"
#include "files/TemporaryFiles.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// Between the target's name and the random part of a temporary name.
constexpr std::string_view kTemporaryMark = ".mvn-tmp.";
constexpr size_t kRandomLength = 6;  // the XXXXXX of mkostemp
constexpr size_t kHashLength = 17;   // "~" and 16 hexadecimal digits
constexpr size_t kWriteBlock = size_t{1} << 20;

uint64_t NameHash(std::string_view name) {
    uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (const char c : name) {
        hash = (hash ^ static_cast<uint8_t>(c)) * 1099511628211ull;
    }
    return hash;
}

// The part of a temporary name that stands for the target: its name, or, when that would
// make the temporary name too long for the folder, its beginning and a hash of the whole.
std::string TemporaryKey(const std::string& folder, const std::string& name) {
    long nameMax = pathconf(folder.c_str(), _PC_NAME_MAX);
    if (nameMax <= 0) {
        nameMax = 255;
    }
    const size_t room = static_cast<size_t>(nameMax) - 1 - kTemporaryMark.size() - kRandomLength;
    if (name.size() <= room) {
        return name;
    }
    char hash[kHashLength + 1];
    // Always fits: a tilde and sixteen hex digits.
    (void)std::snprintf(hash, sizeof hash, "~%016llx",
                        static_cast<unsigned long long>(NameHash(name)));
    size_t keep = room - kHashLength;
    // Never cut a UTF-8 character in two.
    while (keep > 0 && (static_cast<uint8_t>(name[keep]) & 0xC0) == 0x80) {
        --keep;
    }
    return name.substr(0, keep) + hash;
}

std::string TemporaryPrefix(const std::string& key) {
    return "." + key + std::string(kTemporaryMark);
}

// A temporary file that no running replacement holds: its owner ended before renaming it.
bool IsLeftOver(int folder, const char* name) {
    struct stat info {};
    if (fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    const CFileDescriptor fd(openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    return fd.IsOpen() && flock(fd.Get(), LOCK_EX | LOCK_NB) == 0;
}

void RemoveLeftOvers(const std::string& folder, const std::string& key) {
    DIR* entries = opendir(folder.c_str());
    if (!entries) {
        return;
    }
    const std::string prefix = TemporaryPrefix(key);
    while (const dirent* entry = readdir(entries)) {
        const std::string_view name = entry->d_name;
        if (name.size() == prefix.size() + kRandomLength && name.starts_with(prefix) &&
            IsLeftOver(dirfd(entries), entry->d_name)) {
            unlinkat(dirfd(entries), entry->d_name, 0);
        }
    }
    closedir(entries);
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

// So that the rename itself survives a crash. A failure here loses nothing already written.
void SyncFolder(const std::string& folder) {
    const CFileDescriptor fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.IsOpen()) {
        fsync(fd.Get());
    }
}

// Whether a file that exists may be replaced or removed; errno says why not.
bool MayReplace(const std::string& path, const struct stat& info) {
    if (S_ISDIR(info.st_mode)) {
        errno = EISDIR;
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        errno = EINVAL;
        return false;
    }
    // A file that nobody may write is read-only even for the superuser.
    if ((info.st_mode & 0222) == 0) {
        errno = EACCES;
        return false;
    }
    return faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

}  // namespace

CFileReplacement::CFileReplacement(const std::string& target) : m_strTarget(target) {}

CFileReplacement::~CFileReplacement() {
    Discard();
}

bool CFileReplacement::Open() {
    return CheckTarget() && CreateTemporary();
}

bool CFileReplacement::CheckTarget() {
    if (m_strTarget.empty()) {
        return Fail(ENOENT);
    }
    std::string resolved;
    if (!FollowLinks(m_strTarget, resolved)) {
        return Fail(errno);
    }
    m_strTarget = resolved;
    struct stat info {};
    if (lstat(m_strTarget.c_str(), &info) != 0) {
        return errno == ENOENT || Fail(errno);
    }
    if (!MayReplace(m_strTarget, info)) {
        return Fail(errno);
    }
    m_replaced = info;
    return true;
}

bool CFileReplacement::CreateTemporary() {
    const std::string folder = FolderOf(m_strTarget);
    const std::string key = TemporaryKey(folder, NameOf(m_strTarget));
    RemoveLeftOvers(folder, key);
    std::string pattern = folder + "/" + TemporaryPrefix(key) + std::string(kRandomLength, 'X');
    // Created with mode 0600 before any byte is in it.
    m_fd.Reset(CreateRecordedTemporaryFile(pattern.data(), m_nSlot));
    if (!m_fd.IsOpen()) {
        return Fail(errno);
    }
    m_strTemporary = pattern;
    m_sync.emplace(m_fd.Get());
    // Held until the rename, so that another write of the same target leaves it alone.
    flock(m_fd.Get(), LOCK_EX | LOCK_NB);
    return true;
}

bool CFileReplacement::Write(const char* data, size_t size) {
    if (!m_fd.IsOpen()) {
        return Fail(EBADF);
    }
    if (m_pending.size() + size > kWriteBlock && !Flush()) {
        return false;
    }
    if (size >= kWriteBlock) {
        return WriteAll(data, size);
    }
    m_pending.append(data, size);
    return true;
}

int CFileReplacement::Descriptor() {
    return Flush() ? m_fd.Get() : -1;
}

bool CFileReplacement::Flush() {
    const bool written = WriteAll(m_pending.data(), m_pending.size());
    m_pending.clear();
    return written;
}

bool CFileReplacement::WriteAll(const char* data, size_t size) {
    if (!m_fd.IsOpen()) {
        return Fail(EBADF);
    }
    if (!::WriteAll(m_fd.Get(), data, size)) {
        return Fail(errno);
    }
    m_nWritten += static_cast<off_t>(size);
    m_sync->Grown(m_nWritten);
    return true;
}

bool CFileReplacement::Commit(std::optional<mode_t> mode) {
    if (!Flush()) {
        return false;
    }
    if (const int error = m_sync->Finish(); error != 0) {
        return Fail(error);
    }
    if (fsync(m_fd.Get()) != 0) {
        return Fail(errno);
    }
    if (m_replaced) {
        // Only the superuser may give a file away; otherwise it is simply ours.
        [[maybe_unused]] const int kept =
            fchown(m_fd.Get(), m_replaced->st_uid, m_replaced->st_gid);
    }
    const mode_t permissions = mode         ? *mode
                               : m_replaced ? m_replaced->st_mode & 07777
                                            : NewFileMode();
    if (fchmod(m_fd.Get(), permissions) != 0 ||
        rename(m_strTemporary.c_str(), m_strTarget.c_str()) != 0) {
        return Fail(errno);
    }
    ForgetTemporaryFile(m_nSlot);
    m_nSlot = -1;
    m_strTemporary.clear();
    m_fd.Reset();
    SyncFolder(FolderOf(m_strTarget));
    return true;
}

bool CFileReplacement::Fail(int error) {
    m_nError = error;
    Discard();
    return false;
}

void CFileReplacement::Discard() {
    if (!m_strTemporary.empty()) {
        unlink(m_strTemporary.c_str());
        m_strTemporary.clear();
    }
    ForgetTemporaryFile(m_nSlot);
    m_nSlot = -1;
    m_sync.reset();  // a flush under way ends by itself
    m_fd.Reset();
}

FileWriteStatus WriteFileAtomically(const std::string& path, std::string_view bytes, mode_t mode) {
    CFileReplacement file(path);
    if (!file.Open()) {
        return FileWriteStatus::CreateFailed;
    }
    if (!file.Write(bytes.data(), bytes.size()) || !file.Commit(mode)) {
        return FileWriteStatus::WriteFailed;
    }
    return FileWriteStatus::Ok;
}

bool RemoveReplaceableFile(const std::string& path) {
    std::string resolved;
    struct stat info {};
    if (path.empty() || !FollowLinks(path, resolved) || lstat(resolved.c_str(), &info) != 0 ||
        !MayReplace(resolved, info)) {
        return false;
    }
    const std::string folder = FolderOf(resolved);
    RemoveLeftOvers(folder, TemporaryKey(folder, NameOf(resolved)));
    if (unlink(resolved.c_str()) != 0) {
        return false;
    }
    SyncFolder(folder);
    return true;
}
