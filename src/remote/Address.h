#pragma once

#include <cstdint>
#include <string>

// Service codes of a classified address.
enum class AddressKind : uint32_t {
    Ftp = 1,
    Http = 3,
    Https = 4,  // http over TLS
    Ftps = 5,   // FTP over TLS from the first byte
    Ftpes = 6,  // FTP upgraded to TLS by AUTH TLS before the login
    Sftp = 7,   // a file on an SSH server
    Other = 0x1000,
    LocalFile = 0x1001,
};

// FTP, plain or over TLS: probed and downloaded with the element's login.
bool IsFtpKind(AddressKind kind);
// A web address, plain or over TLS.
bool IsWebKind(AddressKind kind);
// Any of them, or SFTP: a copy that a check probes and the copy action downloads.
bool IsRemoteKind(AddressKind kind);

// How an FTP connection is protected.
enum class FtpSecurity {
    None,      // ftp://: plain, as stored lists expect
    Implicit,  // ftps://
    Explicit,  // ftpes://: a server that cannot do TLS is refused, never used in plain
};
FtpSecurity FtpSecurityOf(AddressKind kind);

struct ParsedAddress {
    AddressKind kind = AddressKind::Other;
    std::string server;  // host only: no user, password or port
    std::string object;  // canonical path, percent-encoded; "/..." for ftp and http
    uint16_t port = 0;   // from the address, else the scheme's: 21, 80, 443, 990, 21, 22
    std::string user;    // the user written before "@", escapes decoded; only sftp uses it
};

// Canonicalises, splits and classifies the text of a remote copy.
ParsedAddress ClassifyAddress(const std::string& address);

// True when the text starts with "ftp://", "ftps://", "ftpes://", "http://", "https://" or
// "sftp://", exactly and case-sensitively.
bool HasRemotePrefix(const std::string& text);
