#include "files/PrivateCacheFile.h"

#include "files/FileDescriptor.h"
#include "files/TemporaryFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace {

constexpr mode_t kPrivateFolder = 0700;

// A folder of ours that nobody else may enter, made so if it was not; false with errno when
// it cannot be, or when something else (a link, a file, another user's folder) is there.
bool MakePrivateFolder(const std::string& folder) {
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(folder).parent_path(), ignored);
    if (mkdir(folder.c_str(), kPrivateFolder) != 0 && errno != EEXIST) {
        return false;
    }
    struct stat info {};
    if (lstat(folder.c_str(), &info) != 0) {
        return false;
    }
    if (!S_ISDIR(info.st_mode) || info.st_uid != geteuid()) {
        errno = S_ISDIR(info.st_mode) ? EACCES : ENOTDIR;
        return false;
    }
    return (info.st_mode & 07777) == kPrivateFolder || chmod(folder.c_str(), kPrivateFolder) == 0;
}

}  // namespace

CPrivateCacheFile::~CPrivateCacheFile() {
    Remove();
}

bool CPrivateCacheFile::Create(const std::string& folder, const std::string& prefix,
                               const std::string& suffix) {
    Remove();
    m_strPath = folder + "/" + prefix + "XXXXXX" + suffix;
    if (!MakePrivateFolder(folder)) {
        return false;
    }
    std::string pattern = m_strPath;
    const CFileDescriptor fd(
        CreateRecordedTemporaryFile(pattern.data(), m_nSlot, static_cast<int>(suffix.size())));
    if (!fd.IsOpen()) {
        return false;
    }
    if (m_nSlot < 0) {
        // Unrecorded, a signal would leave it behind.
        unlink(pattern.c_str());
        errno = EMFILE;
        return false;
    }
    m_strPath = pattern;
    return true;
}

void CPrivateCacheFile::Remove() {
    if (m_nSlot < 0) {
        return;
    }
    unlink(m_strPath.c_str());
    ForgetTemporaryFile(m_nSlot);
    m_nSlot = -1;
}
