#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The percentage a progress window shows for `position` between `lower` (0 %) and `upper`
// (100 %): (position - lower) * 100 / (upper - lower), truncated toward zero, exact for any
// 32-bit values; 100 stays 100, any other result is taken modulo 100 (150 shows 50).
// Nothing when upper is 0 (size unknown) or the range is empty.
std::optional<int> PercentFor(int32_t position, int32_t lower, int32_t upper);

// The percentage as the window writes it: digits and "%" with no blank ("42%").
std::string PercentText(int percent);

// The caption of a download's window: the downloading text ("Downloading ") followed by
// the last component of `path`, after its last "/" or, when it has none, its last backslash.
std::string CaptionForFile(const std::string& path);
