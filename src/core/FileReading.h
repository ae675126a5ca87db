#pragma once

#include "core/ByteSource.h"
#include "files/FileDescriptor.h"

#include <cstddef>
#include <cstdint>
#include <string>

enum class FileReadStatus {
    Ok,
    Missing,     // nothing at that path (or the path is empty)
    OpenFailed,  // it exists but cannot be opened, or is not a regular file
    ReadFailed,  // reading failed part-way
    TooLarge,    // longer than the maximum
};

// A regular file read block by block, at most `maxSize` bytes in all. It never waits on a
// FIFO or device that has no data: anything but a regular file fails to open.
class CBoundedFile : public IByteSource {
public:
    explicit CBoundedFile(size_t maxSize) : m_maxSize(maxSize) {}

    // Ok, Missing, OpenFailed, or TooLarge when the file's size is beyond the maximum.
    FileReadStatus Open(const std::string& path);
    // After a read error, or once the file proves longer than the maximum, it gives 0 and
    // Status() says why.
    size_t ReadSome(char* buffer, size_t size) override;
    uint64_t SizeHint() const override;
    FileReadStatus Status() const { return m_status; }

private:
    size_t m_maxSize;
    CFileDescriptor m_fd;
    uint64_t m_fileSize = 0;
    size_t m_read = 0;
    FileReadStatus m_status = FileReadStatus::Ok;
};

// Reads the whole regular file at `path`, at most `maxSize` bytes, as CBoundedFile does.
FileReadStatus ReadFileBounded(const std::string& path, size_t maxSize, std::string& bytes);
