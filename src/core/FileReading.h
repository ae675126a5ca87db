#pragma once

#include <cstddef>
#include <string>

enum class FileReadStatus {
    Ok,
    Missing,     // nothing at that path (or the path is empty)
    OpenFailed,  // it exists but cannot be opened, or is not a regular file
    ReadFailed,  // reading failed part-way
    TooLarge,    // longer than the maximum
};

// Reads the whole regular file at `path`, at most `maxSize` bytes. It never waits on a
// FIFO or device that has no data: anything but a regular file fails to open.
FileReadStatus ReadFileBounded(const std::string& path, size_t maxSize, std::string& bytes);
