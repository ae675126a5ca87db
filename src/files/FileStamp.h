#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>

// What tells one state of a file from the next without reading it: which file it is (device
// and inode) and its size and time of last change to the nanosecond. A writer that replaces
// the file makes a new inode; one that writes into it changes the time.
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    int64_t changedSeconds = 0;
    int64_t changedNanoseconds = 0;

    bool operator==(const FileStamp&) const = default;
};

// The stamp of the file at `path`, links followed; nothing when no file can be seen there.
std::optional<FileStamp> StampOf(const std::string& path);
