#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Reads the primitive values of the archive format from bytes held in memory:
// little-endian integers, element counts and length-prefixed strings. Every read checks
// the bytes that remain first, so a damaged length or count can never make it allocate
// more than the buffer holds. A read that fails leaves the position where it was.
// The reads of every field are inline: loading a list is mostly these.
class CArchiveReader {
public:
    explicit CArchiveReader(std::string_view bytes) : m_bytes(bytes) {}

    bool ReadU16(uint16_t& value) {
        if (Remaining() < 2) {
            return false;
        }
        value = static_cast<uint16_t>(ByteAt(0) | ByteAt(1) << 8);
        m_pos += 2;
        return true;
    }
    bool ReadU32(uint32_t& value) {
        if (Remaining() < 4) {
            return false;
        }
        value = static_cast<uint32_t>(ByteAt(0)) | static_cast<uint32_t>(ByteAt(1)) << 8 |
                static_cast<uint32_t>(ByteAt(2)) << 16 | static_cast<uint32_t>(ByteAt(3)) << 24;
        m_pos += 4;
        return true;
    }
    bool ReadI32(int32_t& value) {
        uint32_t bits = 0;
        if (!ReadU32(bits)) {
            return false;
        }
        value = static_cast<int32_t>(bits);
        return true;
    }
    // A 16-bit count, or 0xFFFF followed by the 32-bit count.
    bool ReadCount(uint32_t& count);
    // A narrow string, kept byte for byte, or a wide (UTF-16LE) one, converted to UTF-8.
    bool ReadString(std::string& text) {
        // Below 255 bytes the length is one byte: nearly every string of a watch list.
        if (Remaining() > 0 && ByteAt(0) < 0xFF && ByteAt(0) < Remaining()) {
            text.assign(m_bytes.data() + m_pos + 1, ByteAt(0));
            m_pos += 1 + text.size();
            return true;
        }
        return ReadLongString(text);
    }
    // Exactly `length` raw bytes.
    bool ReadBytes(uint64_t length, std::string& bytes) {
        if (length > Remaining()) {
            return false;
        }
        bytes.assign(m_bytes.data() + m_pos, static_cast<size_t>(length));
        m_pos += static_cast<size_t>(length);
        return true;
    }

    size_t Remaining() const { return m_bytes.size() - m_pos; }

private:
    uint8_t ByteAt(size_t offset) const { return static_cast<uint8_t>(m_bytes[m_pos + offset]); }
    bool ReadU8(uint8_t& value);
    bool ReadLongString(std::string& text);
    bool ReadStringLength(uint64_t& length, bool& wide);
    bool ReadWideChars(uint64_t count, std::string& text);

    std::string_view m_bytes;
    size_t m_pos = 0;
};
