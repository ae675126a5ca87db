#pragma once

#include "core/KelElem.h"

#include <QDate>
#include <QTime>

// A time value's local date and time of day.
QDate LocalDateOf(TimeValue time);
QTime LocalTimeOf(TimeValue time);

// The time value of a local date and time of day. Daylight saving time is decided by
// the date and time themselves; a result outside the 32-bit range is clamped to it.
TimeValue TimeOfLocal(const QDate& date, const QTime& time);
