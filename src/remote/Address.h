#pragma once

#include <cstdint>
#include <string>

// Service codes of a classified address.
enum class AddressKind : uint32_t {
    Ftp = 1,
    Http = 3,
    Other = 0x1000,
    LocalFile = 0x1001,
};

struct ParsedAddress {
    AddressKind kind = AddressKind::Other;
    std::string server;  // host only: no user, password or port
    std::string object;  // canonical path, percent-encoded; "/..." for ftp and http
    uint16_t port = 0;   // from the address, else 21 for ftp and 80 for http
};

// Canonicalises, splits and classifies the text of a remote copy.
ParsedAddress ClassifyAddress(const std::string& address);

// True when the text starts with "ftp://" or "http://", exactly and case-sensitively.
bool HasRemotePrefix(const std::string& text);
