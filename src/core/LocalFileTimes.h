#pragma once

#include "core/KelElem.h"

#include <ctime>
#include <string>

// A time of the system as the 32-bit time of the watch list, clamped at its limits.
TimeValue ToTimeValue(time_t time);

// The first file that `name` matches (wildcards allowed) and its last-write time; false
// when nothing matches.
bool FindFirstFileTime(const std::string& name, TimeValue& time);

// The last-modification time of the file named `path`; false when it has none.
bool FileModificationTime(const std::string& path, TimeValue& time);
