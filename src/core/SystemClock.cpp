#include "core/SystemClock.h"

#include <ctime>

TimeValue CSystemClock::Now() const {
    return std::time(nullptr);
}
