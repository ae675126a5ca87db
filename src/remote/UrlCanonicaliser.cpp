#include "remote/UrlCanonicaliser.h"

#include "remote/Trimmed.h"

namespace {

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

}  // namespace

std::string CanonicaliseUrl(std::string_view address) {
    static constexpr char kHex[] = "0123456789ABCDEF";
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
