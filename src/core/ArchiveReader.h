#pragma once

#include "core/ByteSource.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Reads the primitive values of the archive format: little-endian integers, element counts
// and length-prefixed strings, either from bytes held in memory or from a source read block
// by block. A string takes memory only as its bytes arrive, so a damaged length can never
// make it allocate more than the bytes hold. After a failed read the reader is spent.
// The reads of every field are inline: loading a list is mostly these.
class CArchiveReader {
public:
    explicit CArchiveReader(std::string_view bytes) : m_window(bytes) {}
    // Holds one block of `source` at a time.
    explicit CArchiveReader(IByteSource& source);

    bool ReadU16(uint16_t& value) {
        if (Available() < 2 && !Fill(2)) {
            return false;
        }
        value = static_cast<uint16_t>(ByteAt(0) | ByteAt(1) << 8);
        m_pos += 2;
        return true;
    }
    bool ReadU32(uint32_t& value) {
        if (Available() < 4 && !Fill(4)) {
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
        if (Available() > 0 && ByteAt(0) < 0xFF && ByteAt(0) < Available()) {
            text.assign(m_window.data() + m_pos + 1, ByteAt(0));
            m_pos += 1 + text.size();
            return true;
        }
        return ReadLongString(text);
    }
    // Exactly `length` raw bytes.
    bool ReadBytes(uint64_t length, std::string& bytes) {
        if (length <= Available()) {
            bytes.assign(m_window.data() + m_pos, static_cast<size_t>(length));
            m_pos += static_cast<size_t>(length);
            return true;
        }
        return ReadBytesAcrossBlocks(length, bytes);
    }

    // The bytes still to read as far as they are known: those held and the source's hint.
    uint64_t SizeHint() const { return Available() + (m_source ? m_source->SizeHint() : 0); }

private:
    size_t Available() const { return m_window.size() - m_pos; }
    uint8_t ByteAt(size_t offset) const { return static_cast<uint8_t>(m_window[m_pos + offset]); }
    // Holds at least `count` bytes (a few: one value) unless the bytes end first.
    bool Fill(size_t count);
    bool ReadU8(uint8_t& value);
    bool ReadLongString(std::string& text);
    bool ReadStringLength(uint64_t& length, bool& wide);
    bool ReadWideChars(uint64_t count, std::string& text);
    bool ReadBytesAcrossBlocks(uint64_t length, std::string& bytes);

    std::string_view m_window;
    size_t m_pos = 0;
    IByteSource* m_source = nullptr;
    std::vector<char> m_block;
};
