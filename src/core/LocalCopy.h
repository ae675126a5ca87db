#pragma once

#include <string>

// Copies the file `source` over `target`: 1 when the content arrived, 0 when the copy
// failed and `target` was left as it was. The content goes to a new file beside the target,
// which replaces it only once complete. Then the source's access and modification times and
// its permissions are carried over; those later steps are not checked.
int CopyLocalFile(const std::string& source, const std::string& target);
