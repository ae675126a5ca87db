#include "remote/Address.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <algorithm>
#include <cctype>
#include <optional>
#include <string_view>

#include "remote/UrlCanonicaliser.h"

namespace {

// Longest server or object an address may carry, a limit we keep for stored lists.
constexpr size_t kMaxPartLength = 2084;

bool IsSchemeChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
}

// "scheme" of "scheme:...", or empty. A single letter before the colon is a drive ("C:\x").
std::string_view SchemeOf(std::string_view text) {
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon < 2 ||
        !std::isalpha(static_cast<unsigned char>(text[0]))) {
        return {};
    }
    for (size_t i = 1; i < colon; ++i) {
        if (!IsSchemeChar(text[i])) {
            return {};
        }
    }
    return text.substr(0, colon);
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

struct SchemeKind {
    const char* scheme;
    AddressKind kind;
    uint16_t defaultPort;
};

constexpr SchemeKind kSchemes[] = {
    {"ftp", AddressKind::Ftp, 21},       {"ftps", AddressKind::Ftps, 990},
    {"ftpes", AddressKind::Ftpes, 21},   {"http", AddressKind::Http, 80},
    {"https", AddressKind::Https, 443},  {"sftp", AddressKind::Sftp, 22},
    {"file", AddressKind::LocalFile, 0},
};

const SchemeKind* FindScheme(std::string_view scheme) {
    for (const SchemeKind& known : kSchemes) {
        if (EqualsIgnoringCase(scheme, known.scheme)) {
            return &known;
        }
    }
    return nullptr;
}

// Empty gives the default; otherwise decimal digits naming a port from 1 to 65535.
std::optional<uint16_t> ParsePort(std::string_view text, uint16_t fallback) {
    if (text.empty()) {
        return fallback;
    }
    uint32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<uint32_t>(c - '0');
        if (value > 65535) {
            return std::nullopt;
        }
    }
    if (value == 0) {
        return std::nullopt;
    }
    return static_cast<uint16_t>(value);
}

bool IsIpv6Address(std::string_view text) {
    char buffer[INET6_ADDRSTRLEN];
    if (text.size() >= sizeof buffer) {
        return false;
    }
    text.copy(buffer, text.size());
    buffer[text.size()] = '\0';
    in6_addr address;
    return inet_pton(AF_INET6, buffer, &address) == 1;
}

struct HostAndPort {
    std::string_view host;  // an IPv6 literal keeps its brackets
    std::string_view port;  // empty when the address names none
    std::string_view user;  // as written, escapes kept; the password is dropped
};

// Splits "[user[:password]@]host[:port]".
std::optional<HostAndPort> SplitAuthority(std::string_view authority) {
    std::string_view user;
    const size_t at = authority.rfind('@');
    if (at != std::string_view::npos) {
        user = authority.substr(0, std::min(authority.find(':'), at));
        authority.remove_prefix(at + 1);
    }
    size_t hostEnd = 0;
    if (authority.starts_with('[')) {
        hostEnd = authority.find(']');
        if (hostEnd == std::string_view::npos || !IsIpv6Address(authority.substr(1, hostEnd - 1))) {
            return std::nullopt;
        }
        ++hostEnd;
    } else {
        hostEnd = std::min(authority.find(':'), authority.size());
    }
    const std::string_view rest = authority.substr(hostEnd);
    if (!rest.empty() && rest.front() != ':') {
        return std::nullopt;
    }
    return HostAndPort{authority.substr(0, hostEnd), rest.empty() ? rest : rest.substr(1), user};
}

// "scheme://authority/path?query#fragment" with the scheme known; query and fragment are
// not part of the object.
ParsedAddress SplitUrl(std::string_view url, std::string_view scheme) {
    std::string_view rest = url.substr(scheme.size() + 1);
    if (!rest.starts_with("//")) {
        return {};
    }
    rest.remove_prefix(2);
    const size_t pathStart = std::min(rest.find_first_of("/?#"), rest.size());
    std::string_view path = rest.substr(pathStart);
    path = path.substr(0, path.find_first_of("?#"));
    const std::optional<HostAndPort> hostAndPort = SplitAuthority(rest.substr(0, pathStart));
    const SchemeKind* known = FindScheme(scheme);
    const AddressKind kind = known ? known->kind : AddressKind::Other;
    if (!hostAndPort || hostAndPort->host.size() > kMaxPartLength || path.size() > kMaxPartLength) {
        return {};
    }
    const std::optional<uint16_t> port =
        ParsePort(hostAndPort->port, known ? known->defaultPort : 0);
    if (!port || (IsRemoteKind(kind) && hostAndPort->host.empty())) {
        return {};
    }
    return ParsedAddress{kind, std::string(hostAndPort->host),
                         path.empty() ? std::string("/") : std::string(path), *port,
                         DecodeUrlEscapes(std::string(hostAndPort->user))};
}

// A text without a scheme is a path as a user types it: drive-letter, UNC, absolute or
// relative. The file functions take it as it stands, so the object keeps it unchanged.
ParsedAddress ClassifyLocalPath(const std::string& path) {
    if (path.size() > kMaxPartLength || path.find('\0') != std::string::npos) {
        return {};
    }
    return ParsedAddress{AddressKind::LocalFile, {}, path, 0, {}};
}

}  // namespace

ParsedAddress ClassifyAddress(const std::string& address) {
    const std::string canonical = CanonicaliseUrl(address);
    if (canonical.empty()) {
        return {};
    }
    const std::string_view scheme = SchemeOf(canonical);
    return scheme.empty() ? ClassifyLocalPath(address) : SplitUrl(canonical, scheme);
}

bool IsFtpKind(AddressKind kind) {
    return kind == AddressKind::Ftp || kind == AddressKind::Ftps || kind == AddressKind::Ftpes;
}

bool IsWebKind(AddressKind kind) {
    return kind == AddressKind::Http || kind == AddressKind::Https;
}

bool IsRemoteKind(AddressKind kind) {
    return IsFtpKind(kind) || IsWebKind(kind) || kind == AddressKind::Sftp;
}

FtpSecurity FtpSecurityOf(AddressKind kind) {
    switch (kind) {
        case AddressKind::Ftps:
            return FtpSecurity::Implicit;
        case AddressKind::Ftpes:
            return FtpSecurity::Explicit;
        default:
            return FtpSecurity::None;
    }
}

bool HasRemotePrefix(const std::string& text) {
    for (const char* prefix : {"ftp://", "ftps://", "ftpes://", "http://", "https://", "sftp://"}) {
        if (text.starts_with(prefix)) {
            return true;
        }
    }
    return false;
}
