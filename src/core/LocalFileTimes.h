#pragma once

#include "core/KelElem.h"

#include <string>

// The first file that `name` matches (wildcards allowed) and its last-write time; false
// when nothing matches.
bool FindFirstFileTime(const std::string& name, TimeValue& time);

// The last-modification time of the file named `path`; false when it has none.
bool FileModificationTime(const std::string& path, TimeValue& time);
