#pragma once

#include <mutex>
#include <string>
#include <string_view>

// Lines for a file descriptor, gathered and written a few kilobytes at a time, so that a
// download's line for every 4096-byte unit does not cost a system call each. Any thread
// may add lines and flush; the lines reach the descriptor whole and in the order added.
class CBufferedLines {
public:
    explicit CBufferedLines(int fd) : m_fd(fd) {}
    ~CBufferedLines() { Flush(); }
    CBufferedLines(const CBufferedLines&) = delete;
    CBufferedLines& operator=(const CBufferedLines&) = delete;

    // Adds `line` and its line end; writes what has gathered once it fills a block.
    void Add(std::string_view line);
    // Writes every line added so far.
    void Flush();

private:
    void WritePending();

    const int m_fd;
    std::mutex m_mutex;  // also held while writing, so that lines keep their order
    std::string m_strPending;
};
