#pragma once

#include <cstdint>
#include <limits>

// A server's time as the 32-bit seconds of a watch element: -1 (never) when the server
// gave none or one before 1970, the last representable second past 2038.
inline int32_t ToProbeTime(int64_t seconds) {
    if (seconds < 0) {
        return -1;
    }
    return seconds > std::numeric_limits<int32_t>::max() ? std::numeric_limits<int32_t>::max()
                                                         : static_cast<int32_t>(seconds);
}
