#include "remote/TransferText.h"

#include <charconv>
#include <cstdio>
#include <iterator>
#include <limits>
#include <string_view>

#include "i18n/MessageCatalogue.h"

namespace {

// The most characters a 64-bit count takes, with its sign.
constexpr size_t kNumberChars = std::numeric_limits<int64_t>::digits10 + 2;

template <typename... Values>
std::string FormatWith(const std::string& format, Values... values) {
    const int size = std::snprintf(nullptr, 0, format.c_str(), values...);
    if (size <= 0) {
        return {};
    }
    std::string text(static_cast<size_t>(size), '\0');
    // Fits: the room was measured by the same call above.
    (void)std::snprintf(text.data(), text.size() + 1, format.c_str(), values...);
    return text;
}

}  // namespace

std::string FormatKeyText(const std::string& key, const std::string& argument) {
    return FormatWith(Lookup(key), argument.c_str());
}

std::string FormatKeyText(const std::string& key, int number) {
    return FormatWith(Lookup(key), number);
}

std::string FormatKeyText(const std::string& key, int number, const std::string& argument) {
    return FormatWith(Lookup(key), number, argument.c_str());
}

std::string FormatKeyText(const std::string& key, const std::string& first,
                          const std::string& second) {
    return FormatWith(Lookup(key), first.c_str(), second.c_str());
}

std::string FormatKeyText(const std::string& key, const std::string& first, int number,
                          const std::string& last) {
    return FormatWith(Lookup(key), first.c_str(), number, last.c_str());
}

std::string FormatKeyText(const std::string& key, const std::string& first,
                          const std::string& second, const std::string& third) {
    return FormatWith(Lookup(key), first.c_str(), second.c_str(), third.c_str());
}

// The text is cut at its two "%d"s once, so that a line is its pieces and two numbers.
CByteLine::CByteLine() {
    const std::string text = Lookup("IDS_BYTEREAD");
    std::string_view rest = text;
    const auto cut = [&rest](std::string& piece) {
        const size_t at = rest.find("%d");
        piece = rest.substr(0, at);
        rest = at == std::string_view::npos ? std::string_view() : rest.substr(at + 2);
    };
    cut(m_strBefore);
    cut(m_strBetween);
    m_strAfter = rest;
}

std::string CByteLine::Format(int64_t total, int64_t size) const {
    std::string line;
    line.reserve(m_strBefore.size() + m_strBetween.size() + m_strAfter.size() + 2 * kNumberChars);
    const auto appendNumber = [&line](int64_t number) {
        char digits[kNumberChars];
        const auto end = std::to_chars(std::begin(digits), std::end(digits), number).ptr;
        line.append(digits, static_cast<size_t>(end - digits));
    };
    line.append(m_strBefore);
    appendNumber(total);
    line.append(m_strBetween);
    appendNumber(size);
    return line.append(m_strAfter);
}
