#include "core/SystemClock.h"

#include "core/LocalFileTimes.h"

#include <ctime>

TimeValue CSystemClock::Now() const {
    return ToTimeValue(std::time(nullptr));
}
