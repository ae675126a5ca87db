#include "core/ArchiveWriter.h"

void CArchiveWriter::WriteU16(uint16_t value) {
    const char bytes[2] = {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
    m_bytes.append(bytes, sizeof bytes);
}

void CArchiveWriter::WriteU32(uint32_t value) {
    const char bytes[4] = {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF),
                           static_cast<char>((value >> 16) & 0xFF), static_cast<char>(value >> 24)};
    m_bytes.append(bytes, sizeof bytes);
}

void CArchiveWriter::WriteCount(uint32_t count) {
    if (count < 0xFFFF) {
        WriteU16(static_cast<uint16_t>(count));
    } else {
        WriteU16(0xFFFF);
        WriteU32(count);
    }
}

// One byte below 255; 0xFF and 16 bits up to 0xFFFD (0xFFFE would announce a wide
// string); beyond, 0xFF, 0xFFFF and 32 bits.
void CArchiveWriter::WriteString(std::string_view text) {
    const size_t length = text.size();
    if (length < 0xFF) {
        WriteU8(static_cast<uint8_t>(length));
    } else if (length < 0xFFFE) {
        WriteU8(0xFF);
        WriteU16(static_cast<uint16_t>(length));
    } else {
        WriteU8(0xFF);
        WriteU16(0xFFFF);
        WriteU32(static_cast<uint32_t>(length));
    }
    m_bytes.append(text);
}
