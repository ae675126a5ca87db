#pragma once

#include <string>
#include <string_view>

enum class FileWriteStatus {
    Ok,
    CreateFailed,  // no file could be made at that path
    WriteFailed,   // the bytes could not all reach the disk
};

// Replaces the file at `path` with `bytes` as a whole: they go to a new file beside it,
// readable and writable by the owner only from its creation, which is flushed to the disk
// and then renamed over the old one. On any failure the old file stays as it was and the
// new one is removed. A symbolic link at `path` keeps pointing at the replaced file. An
// empty path fails to create.
FileWriteStatus WriteFileAtomically(const std::string& path, std::string_view bytes);
