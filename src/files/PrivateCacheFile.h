#pragma once

#include <string>

// A new empty file that only its owner may read (0600), in a folder that only its owner may
// enter (0700), for a copy of something the user may not want others to see. It is recorded
// as a temporary file: a termination signal, or the end of the process at once, removes it;
// otherwise it goes with the object. A writer may replace it (files/FileReplacement.h): the
// replacement keeps its path and its permissions.
class CPrivateCacheFile {
public:
    CPrivateCacheFile() = default;
    ~CPrivateCacheFile();
    CPrivateCacheFile(const CPrivateCacheFile&) = delete;
    CPrivateCacheFile& operator=(const CPrivateCacheFile&) = delete;

    // Creates the folder if need be, then the file `folder`/`prefix`XXXXXX`suffix` (the X
    // random). False, with errno, when either cannot be made private or the file cannot be
    // recorded; nothing is left then. `prefix` and `suffix` hold no "/".
    bool Create(const std::string& folder, const std::string& prefix, const std::string& suffix);

    // The file's path; before a successful Create, the name it was to have.
    const std::string& Path() const { return m_strPath; }

private:
    void Remove();

    std::string m_strPath;
    int m_nSlot = -1;
};
