#include "remote/FtpListing.h"

#include <charconv>
#include <cstring>
#include <ctime>
#include <optional>
#include <sstream>
#include <string_view>
#include <utility>
#include <vector>

namespace {

// The number a field of the server's listing starts with, and in `rest` what follows it;
// 0 and the whole field when it starts with none or with one too large to hold, as a
// listing is the server's word and may say anything.
template <typename Number>
Number LeadingNumber(std::string_view text, std::string_view* rest = nullptr) {
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    const bool read = error == std::errc();
    if (rest) {
        *rest = read ? text.substr(static_cast<size_t>(end - text.data())) : text;
    }
    return read ? value : Number{};
}

// "10:11": the hour and the minute of a time of day.
std::optional<std::pair<int, int>> HourAndMinute(std::string_view text) {
    std::string_view rest;
    const int hour = LeadingNumber<int>(text, &rest);
    if (rest.size() == text.size() || !rest.starts_with(':')) {
        return std::nullopt;
    }
    const std::string_view minuteText = rest.substr(1);
    const int minute = LeadingNumber<int>(minuteText, &rest);
    if (rest.size() == minuteText.size()) {
        return std::nullopt;
    }
    return std::pair{hour, minute};
}

std::vector<std::string> Lines(const std::string& listing) {
    std::vector<std::string> lines;
    std::istringstream in(listing);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

// "/a/b.txt" and "b.txt" both name b.txt: servers give either.
bool SameName(const std::string& listed, const std::string& name) {
    const size_t slash = listed.rfind('/');
    return (slash == std::string::npos ? listed : listed.substr(slash + 1)) == name;
}

int64_t UtcSeconds(int year, int month, int day, int hour, int minute, int second) {
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    return static_cast<int64_t>(timegm(&fields));
}

// "modify=20240305101112" or with fractions of a second.
int64_t ParseModifyFact(const std::string& value) {
    if (value.size() < 14) {
        return -1;
    }
    int fields[6] = {};
    size_t start = 0;
    for (int i = 0; i < 6; ++i) {
        const size_t width = i == 0 ? 4 : 2;
        const std::string_view digits = std::string_view(value).substr(start, width);
        std::string_view rest;
        fields[i] = LeadingNumber<int>(digits, &rest);
        if (digits.size() == rest.size()) {
            return -1;
        }
        start += digits.size() - rest.size();
    }
    return UtcSeconds(fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]);
}

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

int MonthNumber(const std::string& name) {
    static const char* const kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                          "jul", "aug", "sep", "oct", "nov", "dec"};
    for (int i = 0; i < 12; ++i) {
        if (Lower(name) == kMonths[i]) {
            return i + 1;
        }
    }
    return 0;
}

// "2024" or "10:11": the year, or the time of a file of the last months.
int64_t ListTime(int month, int day, const std::string& yearOrTime, int64_t now) {
    if (const auto time = HourAndMinute(yearOrTime)) {
        const auto [hour, minute] = *time;
        const time_t clock = static_cast<time_t>(now);
        std::tm today{};
        gmtime_r(&clock, &today);
        int year = today.tm_year + 1900;
        // A day of slack for servers whose clock or zone is ahead.
        if (UtcSeconds(year, month, day, hour, minute, 0) > now + 86400) {
            --year;
        }
        return UtcSeconds(year, month, day, hour, minute, 0);
    }
    const int year = LeadingNumber<int>(yearOrTime);
    return year > 1900 ? UtcSeconds(year, month, day, 0, 0, 0) : -1;
}

}  // namespace

std::optional<FtpListingEntry> FindInMlsd(const std::string& listing, const std::string& name) {
    for (const std::string& line : Lines(listing)) {
        const size_t blank = line.find(' ');
        if (blank == std::string::npos || !SameName(line.substr(blank + 1), name)) {
            continue;
        }
        FtpListingEntry entry;
        std::istringstream facts(line.substr(0, blank));
        for (std::string fact; std::getline(facts, fact, ';');) {
            const size_t equals = fact.find('=');
            if (equals == std::string::npos) {
                continue;
            }
            const std::string key = Lower(fact.substr(0, equals));
            const std::string value = fact.substr(equals + 1);
            if (key == "type") {
                entry.isFile = Lower(value) == "file";
            } else if (key == "modify") {
                entry.time = ParseModifyFact(value);
            } else if (key == "size") {
                entry.size = LeadingNumber<int64_t>(value);
            } else if (key == "perm") {
                entry.readable = value.find('r') != std::string::npos;
            }
        }
        return entry;
    }
    return std::nullopt;
}

std::optional<FtpListingEntry> FindInList(const std::string& listing, const std::string& name,
                                          int64_t now) {
    for (const std::string& line : Lines(listing)) {
        std::istringstream fields(line);
        std::string mode, links, owner, group, size, month, day, yearOrTime;
        if (!(fields >> mode >> links >> owner >> group >> size >> month >> day >> yearOrTime)) {
            continue;
        }
        std::string listed;
        std::getline(fields >> std::ws, listed);
        if (mode[0] == 'l') {
            listed = listed.substr(0, listed.find(" -> "));
        }
        const int monthNumber = MonthNumber(month);
        if (monthNumber == 0 || !SameName(listed, name)) {
            continue;
        }
        FtpListingEntry entry;
        entry.isFile = mode[0] == '-' || mode[0] == 'l';
        entry.size = LeadingNumber<int64_t>(size);
        entry.time = ListTime(monthNumber, LeadingNumber<int>(day), yearOrTime, now);
        return entry;
    }
    return std::nullopt;
}
