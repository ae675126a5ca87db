#include "remote/ProgressPercent.h"

#include "i18n/MessageCatalogue.h"

std::optional<int> PercentFor(int32_t position, int32_t lower, int32_t upper) {
    const int64_t range = int64_t{upper} - lower;
    if (upper == 0 || range == 0) {
        return std::nullopt;
    }
    const int64_t percent = (int64_t{position} - lower) * 100 / range;
    return static_cast<int>(percent == 100 ? percent : percent % 100);
}

std::string PercentText(int percent) {
    return std::to_string(percent) + "%";
}

std::string CaptionForFile(const std::string& path) {
    size_t separator = path.rfind('/');
    if (separator == std::string::npos) {
        separator = path.rfind('\\');
    }
    const std::string name = separator == std::string::npos ? path : path.substr(separator + 1);
    return GetMessage("IDS_DOWNLOADING") + name;
}
