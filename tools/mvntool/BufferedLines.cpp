#include "BufferedLines.h"

#include <unistd.h>

#include <cerrno>

namespace {

constexpr size_t kBlockBytes = 8192;

}  // namespace

void CBufferedLines::Add(std::string_view line) {
    const std::lock_guard lock(m_mutex);
    m_strPending.append(line);
    m_strPending.push_back('\n');
    if (m_strPending.size() >= kBlockBytes) {
        WritePending();
    }
}

void CBufferedLines::Flush() {
    const std::lock_guard lock(m_mutex);
    WritePending();
}

// A descriptor that takes nothing more (a closed pipe, a full disk) loses the lines, as an
// unbuffered stream would.
void CBufferedLines::WritePending() {
    const char* data = m_strPending.data();
    size_t size = m_strPending.size();
    while (size > 0) {
        const ssize_t written = write(m_fd, data, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            break;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    m_strPending.clear();
}
