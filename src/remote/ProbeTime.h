#pragma once

#include <cstdint>

// A server's time as the seconds of a watch element: -1 (never) when the server gave none
// or one before 1970.
inline int64_t ToProbeTime(int64_t seconds) {
    return seconds < 0 ? -1 : seconds;
}
