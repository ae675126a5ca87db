#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

// Appends the primitive values of the archive format to a byte buffer: little-endian
// integers, element counts and length-prefixed narrow strings. It never writes the wide
// string form.
class CArchiveWriter {
public:
    void WriteU16(uint16_t value);
    void WriteU32(uint32_t value);
    void WriteI32(int32_t value) { WriteU32(static_cast<uint32_t>(value)); }
    // Below 0xFFFF as 16 bits, otherwise 0xFFFF and the 32-bit count.
    void WriteCount(uint32_t count);
    void WriteString(std::string_view text);
    // The bytes that WriteString takes for a string of `length` bytes.
    static size_t StringSize(size_t length) {
        return length + (length < 0xFF ? 1 : length < 0xFFFE ? 3 : 7);
    }
    void WriteBytes(std::string_view bytes) { m_bytes.append(bytes); }

    // Room for `size` bytes in all, so that writing does not grow the buffer step by step.
    void Reserve(size_t size) { m_bytes.reserve(size); }
    const std::string& Bytes() const { return m_bytes; }
    std::string TakeBytes() { return std::move(m_bytes); }

private:
    void WriteU8(uint8_t value) { m_bytes.push_back(static_cast<char>(value)); }

    std::string m_bytes;
};
