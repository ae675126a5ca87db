#include "BufferedLines.h"

#include "files/FileDescriptor.h"

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
    WriteAll(m_fd, m_strPending.data(), m_strPending.size());
    m_strPending.clear();
}
