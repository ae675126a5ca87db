#pragma once

#include "core/ElemList.h"

#include <string>
#include <string_view>

// Why reading a watch list archive failed.
enum class ArchiveError {
    None,
    Truncated,          // the bytes end before the announced elements are complete
    BadClassName,       // a class record names another class, or a name of 64 bytes or more
    BadSchema,          // a class record with a schema other than 1
    BadClassReference,  // a class tag naming entry 0, no entry yet, or an element
    ObjectReference,    // a tag naming an object: never written, so never accepted
};

// Reads an archive of elements from the whole content of a database file, appending each
// element to `list` once all its fields are read: after a failure the list holds the
// elements read completely before it. Bytes after the last element are ignored. The run-time
// fields come back as -1 (last access) and STATE_NOT_CHECKED, whatever the file holds.
ArchiveError ReadElemArchive(std::string_view bytes, ElemList& list);

// The archive of `list`, byte for byte as the database file holds it.
std::string WriteElemArchive(const ElemList& list);
