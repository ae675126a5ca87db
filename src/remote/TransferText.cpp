#include "remote/TransferText.h"

#include <cstdio>

#include "i18n/MessageCatalogue.h"

namespace {

template <typename... Values>
std::string FormatWith(const std::string& format, Values... values) {
    const int size = std::snprintf(nullptr, 0, format.c_str(), values...);
    if (size <= 0) {
        return {};
    }
    std::string text(static_cast<size_t>(size), '\0');
    std::snprintf(text.data(), text.size() + 1, format.c_str(), values...);
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

CByteLine::CByteLine() {
    const std::string text = Lookup("IDS_BYTEREAD");
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "%d") == 0) {
            m_strFormat += "%lld";
            ++i;
        } else {
            m_strFormat += text[i];
        }
    }
}

std::string CByteLine::Format(int64_t total, int64_t size) const {
    return FormatWith(m_strFormat, static_cast<long long>(total), static_cast<long long>(size));
}
