#pragma once

#include <cstdint>
#include <string>

// Catalogue texts of downloads and probes with their one placeholder filled. The text
// from outside (an address, a path) is always the argument, never the format.
std::string FormatKeyText(const std::string& key, const std::string& argument);
std::string FormatKeyText(const std::string& key, int number);
std::string FormatKeyText(const std::string& key, int number, const std::string& argument);
std::string FormatKeyText(const std::string& key, const std::string& first,
                          const std::string& second);
std::string FormatKeyText(const std::string& key, const std::string& first, int number,
                          const std::string& last);
std::string FormatKeyText(const std::string& key, const std::string& first,
                          const std::string& second, const std::string& third);

// The byte-count line ("%d of %d  bytes read"), looked up once per download because it is
// written for every 4096-byte unit. Counts are 64-bit, so files beyond 2 GB count right.
class CByteLine {
public:
    CByteLine();
    std::string Format(int64_t total, int64_t size) const;

private:
    std::string m_strBefore;   // the text before the first number
    std::string m_strBetween;  // between the two numbers
    std::string m_strAfter;    // after the second
};
