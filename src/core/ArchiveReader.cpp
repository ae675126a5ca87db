#include "core/ArchiveReader.h"

#include "core/Utf8.h"

#include <algorithm>
#include <cstring>

namespace {

// The 16-bit value after a 0xFF length byte that announces a wide string.
constexpr uint16_t kWideMarker = 0xFFFE;
// The block read from a source at a time: large enough that reading costs few calls, small
// enough to stay in the processor's cache.
constexpr size_t kBlockSize = size_t{64} * 1024;

bool IsHighSurrogate(uint32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(uint32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// UTF-16LE to UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf16LeToUtf8(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    const auto unitAt = [&bytes](size_t i) {
        return static_cast<uint32_t>(static_cast<uint8_t>(bytes[2 * i])) |
               static_cast<uint32_t>(static_cast<uint8_t>(bytes[2 * i + 1])) << 8;
    };
    const size_t units = bytes.size() / 2;
    for (size_t i = 0; i < units; ++i) {
        const uint32_t unit = unitAt(i);
        if (IsHighSurrogate(unit) && i + 1 < units && IsLowSurrogate(unitAt(i + 1))) {
            AppendUtf8(0x10000 + ((unit - 0xD800) << 10) + (unitAt(i + 1) - 0xDC00), text);
            ++i;
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            AppendUtf8(0xFFFD, text);
        } else {
            AppendUtf8(unit, text);
        }
    }
    return text;
}

}  // namespace

CArchiveReader::CArchiveReader(IByteSource& source) : m_source(&source), m_block(kBlockSize) {}

bool CArchiveReader::Fill(size_t count) {
    if (!m_source) {
        return false;
    }
    // The few bytes left of the block move to its front; the rest of it is read anew.
    const size_t kept = Available();
    if (kept > 0) {
        std::memmove(m_block.data(), m_window.data() + m_pos, kept);
    }
    size_t filled = kept;
    while (filled < count) {
        const size_t got = m_source->ReadSome(m_block.data() + filled, m_block.size() - filled);
        if (got == 0) {
            break;
        }
        filled += got;
    }
    m_window = std::string_view(m_block.data(), filled);
    m_pos = 0;
    return filled >= count;
}

bool CArchiveReader::ReadBytesAcrossBlocks(uint64_t length, std::string& bytes) {
    if (!m_source) {
        return false;
    }
    bytes.clear();
    while (bytes.size() < length) {
        if (Available() == 0 && !Fill(1)) {
            return false;
        }
        const size_t take =
            static_cast<size_t>(std::min<uint64_t>(length - bytes.size(), Available()));
        bytes.append(m_window.data() + m_pos, take);
        m_pos += take;
    }
    return true;
}

bool CArchiveReader::ReadU8(uint8_t& value) {
    if (Available() < 1 && !Fill(1)) {
        return false;
    }
    value = ByteAt(0);
    ++m_pos;
    return true;
}

bool CArchiveReader::ReadCount(uint32_t& count) {
    uint16_t shortCount = 0;
    if (!ReadU16(shortCount)) {
        return false;
    }
    if (shortCount != 0xFFFF) {
        count = shortCount;
        return true;
    }
    return ReadU32(count);
}

// One byte below 0xFF; else 0xFF and 16 bits below 0xFFFF; else 0xFF, 0xFFFF and 32 bits.
// 0xFF 0xFFFE in front marks a wide string, whose length follows in the same forms (where
// 0xFFFE is then a plain length).
bool CArchiveReader::ReadStringLength(uint64_t& length, bool& wide) {
    wide = false;
    uint8_t byteLength = 0;
    if (!ReadU8(byteLength)) {
        return false;
    }
    if (byteLength < 0xFF) {
        length = byteLength;
        return true;
    }
    uint16_t wordLength = 0;
    if (!ReadU16(wordLength)) {
        return false;
    }
    if (wordLength == kWideMarker) {
        wide = true;
        if (!ReadU8(byteLength)) {
            return false;
        }
        if (byteLength < 0xFF) {
            length = byteLength;
            return true;
        }
        if (!ReadU16(wordLength)) {
            return false;
        }
    }
    if (wordLength < 0xFFFF) {
        length = wordLength;
        return true;
    }
    uint32_t longLength = 0;
    if (!ReadU32(longLength)) {
        return false;
    }
    length = longLength;
    return true;
}

bool CArchiveReader::ReadWideChars(uint64_t count, std::string& text) {
    std::string units;
    if (!ReadBytes(count * 2, units)) {
        return false;
    }
    text = Utf16LeToUtf8(units);
    return true;
}

bool CArchiveReader::ReadLongString(std::string& text) {
    uint64_t length = 0;
    bool wide = false;
    return ReadStringLength(length, wide) &&
           (wide ? ReadWideChars(length, text) : ReadBytes(length, text));
}
