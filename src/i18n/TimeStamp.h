#pragma once

#include <cstdint>
#include <string>

// Date, one blank, time, always under the French conventions ("10/02/2002 10:16:00"),
// in local time. A time that has no local time (negative, or refused by the C library)
// gives a single blank. Safe to call from any thread; the process locale is not touched.
std::string FormatTimeStamp(int64_t time);
