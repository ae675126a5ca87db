#include "i18n/TimeStamp.h"

#include <cstdio>
#include <ctime>

std::string FormatTimeStamp(int64_t time) {
    std::tm local{};
    const std::time_t value = time;
    if (time < 0 || !localtime_r(&value, &local)) {
        return " ";
    }
    char text[80];
    // Always fits: six numbers of at most eleven characters each.
    (void)std::snprintf(text, sizeof text, "%02d/%02d/%04d %02d:%02d:%02d", local.tm_mday,
                        local.tm_mon + 1, local.tm_year + 1900, local.tm_hour, local.tm_min,
                        local.tm_sec);
    return text;
}
