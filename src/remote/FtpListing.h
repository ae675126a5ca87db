#pragma once

#include <cstdint>
#include <optional>
#include <string>

// One file of a directory listing, as far as the listing tells.
struct FtpListingEntry {
    bool isFile = true;    // false for folders and anything else that is not a file
    bool readable = true;  // false when the server's facts say this user may not read it
    int64_t time = -1;     // last write, seconds since 1970 (UTC for MLSD facts)
    int64_t size = -1;
};

// The entry named `name` in an MLSD answer (facts, a blank, the name on each line).
// Times are exact and UTC.
std::optional<FtpListingEntry> FindInMlsd(const std::string& listing, const std::string& name);

// The entry named `name` in a LIST answer in the common Unix form. Times are to the minute
// at best and in the server's own time zone, taken as UTC because it is unknown; a line
// without a year is within the year before `now`, as ls prints recent files.
std::optional<FtpListingEntry> FindInList(const std::string& listing, const std::string& name,
                                          int64_t now);
