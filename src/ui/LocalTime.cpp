#include "ui/LocalTime.h"

#include <ctime>

namespace {

std::tm LocalFields(TimeValue time) {
    std::tm fields{};
    const std::time_t value = time;
    localtime_r(&value, &fields);
    return fields;
}

}  // namespace

QDate LocalDateOf(TimeValue time) {
    const std::tm fields = LocalFields(time);
    return QDate(fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday);
}

QTime LocalTimeOf(TimeValue time) {
    const std::tm fields = LocalFields(time);
    return QTime(fields.tm_hour, fields.tm_min, fields.tm_sec);
}

TimeValue TimeOfLocal(const QDate& date, const QTime& time) {
    std::tm fields{};
    fields.tm_year = date.year() - 1900;
    fields.tm_mon = date.month() - 1;
    fields.tm_mday = date.day();
    fields.tm_hour = time.hour();
    fields.tm_min = time.minute();
    fields.tm_sec = time.second();
    fields.tm_isdst = -1;
    return std::mktime(&fields);
}
