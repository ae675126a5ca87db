#include "remote/UrlCanonicaliser.h"

#include <curl/curl.h>

#include <cctype>
#include <cstring>

#include "remote/Trimmed.h"

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

bool IsBlankOrControl(unsigned char c) {
    return c <= 0x20;
}

// '%' is left alone on purpose: encoding it would change what an escaped address means.
bool IsUnsafe(unsigned char c) {
    if (c <= 0x20 || c >= 0x7F) {
        return true;
    }
    switch (c) {
        case '"':
        case '<':
        case '>':
        case '\\':
        case '^':
        case '`':
        case '{':
        case '|':
        case '}':
            return true;
        default:
            return false;
    }
}

bool IsHex(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

// Characters an address path may carry as they are; ";" and "?" are not among them
// (libcurl reads ";type=" and queries), nor "#".
bool IsPathSafe(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) ||
           (c != '\0' && std::strchr("-._~!$&'()*+,=:@/", c));
}

}  // namespace

std::string CanonicaliseUrl(std::string_view address) {
    address = Trimmed(address, IsBlankOrControl);
    // Query and fragment belong to the server that reads them: they pass untouched.
    const size_t extra = address.find_first_of("#?");
    std::string result;
    result.reserve(address.size());
    for (size_t i = 0; i < address.size(); ++i) {
        const auto c = static_cast<unsigned char>(address[i]);
        if (i < extra && IsUnsafe(c)) {
            result += '%';
            result += kHex[c >> 4];
            result += kHex[c & 0x0F];
        } else {
            result += static_cast<char>(c);
        }
    }
    return result;
}

std::string DecodeUrlEscapes(const std::string& text) {
    int length = 0;
    char* decoded =
        curl_easy_unescape(nullptr, text.c_str(), static_cast<int>(text.size()), &length);
    if (!decoded) {
        return text;
    }
    std::string plain(decoded, static_cast<size_t>(length));
    curl_free(decoded);
    return plain;
}

std::string EncodeUrlPath(const std::string& path) {
    std::string encoded;
    for (size_t i = 0; i < path.size(); ++i) {
        const char c = path[i];
        const bool escape =
            c == '%' && i + 2 < path.size() && IsHex(path[i + 1]) && IsHex(path[i + 2]);
        if (IsPathSafe(c) || escape) {
            encoded += c;
        } else {
            const auto byte = static_cast<unsigned char>(c);
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 15];
        }
    }
    return encoded;
}

std::string HostForUrl(const std::string& server) {
    const bool bareIpv6 = server.find(':') != std::string::npos && !server.starts_with('[');
    return bareIpv6 ? "[" + server + "]" : server;
}
