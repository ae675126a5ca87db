#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "files/BackgroundSync.h"
#include "files/FileDescriptor.h"

// The one way every writer replaces a file: the new content goes to a temporary file beside
// the target, readable and writable by its owner only, which is flushed to the disk, renamed
// over the target, and the folder flushed after it. Until then the target stays as it was;
// a replacement that does not commit removes its temporary file. A large file is flushed
// a step at a time while it is written, so that the flush before the rename is short.
//
// Only a regular file is replaced, or a missing one created: a folder, device, FIFO or
// socket at the target is refused, and so is a file that may not be written (no write
// permission for us, or none for anyone). A symbolic link is followed to the file it names,
// also when that file does not exist yet; the link stays. A temporary file of the same target
// left behind by a crash is removed first. The temporary name fits the folder's name limit
// whatever the target's name.
class CFileReplacement {
public:
    explicit CFileReplacement(const std::string& target);
    ~CFileReplacement();
    CFileReplacement(const CFileReplacement&) = delete;
    CFileReplacement& operator=(const CFileReplacement&) = delete;

    // Checks the target and creates the temporary file.
    bool Open();
    // Takes everything or fails. The bytes reach the file in blocks of about a megabyte, so
    // a download's small pieces cost few system calls; a failure to write them shows here
    // at a later call or at the commit.
    bool Write(const char* data, size_t size);
    // The temporary file with every byte written so far in it, for settings such as its
    // times before the commit; -1 when those bytes could not be written.
    int Descriptor();
    // Puts the temporary file in the target's place with `mode`, by default the replaced
    // file's permissions (those of a new file when there was none); the owner and group of
    // a replaced file are kept where we may set them.
    bool Commit(std::optional<mode_t> mode = std::nullopt);

    // The file that is replaced: the target with its links followed.
    const std::string& Target() const { return m_strTarget; }
    // errno of the last failure.
    int Error() const { return m_nError; }

private:
    bool CheckTarget();
    bool CreateTemporary();
    bool Flush();
    bool WriteAll(const char* data, size_t size);
    bool Fail(int error);
    void Discard();

    std::string m_strTarget;
    std::string m_strTemporary;
    std::optional<struct stat> m_replaced;
    std::string m_pending;                  // written, not yet in the file
    std::optional<CBackgroundSync> m_sync;  // of m_fd, while it is open
    off_t m_nWritten = 0;                   // bytes in the file
    CFileDescriptor m_fd;
    int m_nSlot = -1;
    int m_nError = 0;
};

enum class FileWriteStatus {
    Ok,
    CreateFailed,  // the target may not be replaced, or no temporary file could be made
    WriteFailed,   // the bytes could not all reach the disk
};

// Replaces the file at `path` with `bytes` as a whole, with the permissions `mode`.
FileWriteStatus WriteFileAtomically(const std::string& path, std::string_view bytes, mode_t mode);

// Removes the file at `path` (through links: the file they name) when a replacement may
// replace it, with any temporary file of it left by a crash; false when nothing was removed.
bool RemoveReplaceableFile(const std::string& path);
