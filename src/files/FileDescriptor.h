#pragma once

#include <cstddef>

// The one owner of an open file descriptor: closes it when it goes or takes another one.
// -1 stands for none.
class CFileDescriptor {
public:
    CFileDescriptor() = default;
    explicit CFileDescriptor(int fd) : m_fd(fd) {}
    ~CFileDescriptor() { Reset(); }
    CFileDescriptor(CFileDescriptor&& other) noexcept : m_fd(other.Release()) {}
    CFileDescriptor& operator=(CFileDescriptor&& other) noexcept {
        Reset(other.Release());
        return *this;
    }

    int Get() const { return m_fd; }
    bool IsOpen() const { return m_fd >= 0; }
    // Closes the descriptor held, if any, and holds `fd` instead.
    void Reset(int fd = -1);
    // Gives the descriptor up without closing it.
    int Release();

private:
    int m_fd = -1;
};

// The one write loop: writes all `size` bytes at `data` to `fd`, going on after a signal
// and after a short write. False, with errno set (EIO when the descriptor takes nothing),
// when they cannot all be written; some may have been.
bool WriteAll(int fd, const char* data, size_t size);
