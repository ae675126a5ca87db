#pragma once

#include <string>

// Which side of a local copy failed, and why.
struct LocalCopyResult {
    enum class Fault { None, Source, Target };
    Fault fault = Fault::None;
    int error = 0;  // errno; EISDIR or EINVAL for a file that is not a regular file

    bool Copied() const { return fault == Fault::None; }
};

// Copies the regular file `source` over `target`; when the copy fails, `target` is left as it
// was. The source is opened without waiting (a FIFO or a device is refused, never read). The
// target is replaced as every writer replaces a file (files/FileReplacement.h), carrying the
// source's access and modification times and its permissions; setting the times is not
// checked.
LocalCopyResult CopyLocalFile(const std::string& source, const std::string& target);
