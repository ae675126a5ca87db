#pragma once

#include <string_view>

// `text` without the characters at either end for which `isBlank` holds. Each caller says
// what a blank is where its text comes from: a header line, a typed host, an address.
inline std::string_view Trimmed(std::string_view text, bool (*isBlank)(unsigned char)) {
    while (!text.empty() && isBlank(static_cast<unsigned char>(text.front()))) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(static_cast<unsigned char>(text.back()))) {
        text.remove_suffix(1);
    }
    return text;
}
