#pragma once

#include <string>

// Copies the regular file `source` over `target`: 1 when the content arrived, 0 when the copy
// failed and `target` was left as it was. The source is opened without waiting (a FIFO or a
// device is refused, never read). The target is replaced as every writer replaces a file
// (files/FileReplacement.h), carrying the source's access and modification times and its
// permissions; setting the times is not checked.
int CopyLocalFile(const std::string& source, const std::string& target);
