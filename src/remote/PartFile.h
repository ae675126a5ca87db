#pragma once

#include <cstddef>
#include <string>

// Where a download writes: a temporary file in the destination's folder that replaces the
// destination only when the download has succeeded, so a cancelled or failed download
// leaves the destination as it was. Readable by the owner only until it is committed.
class CPartFile {
public:
    explicit CPartFile(const std::string& destination);
    ~CPartFile();  // removes the temporary file unless committed
    CPartFile(const CPartFile&) = delete;
    CPartFile& operator=(const CPartFile&) = delete;

    // Creates the temporary file. Fails, as opening the destination for writing would,
    // when the destination is a folder or a file that may not be written.
    bool Open();
    // Writes everything or fails.
    bool Write(const char* data, size_t size);
    // Closes the file and puts it in the destination's place with the destination's
    // permissions (the usual ones for a new file).
    bool Commit();

    // errno of the last failure.
    int Error() const { return m_nError; }

private:
    bool Fail();
    void Remove();

    std::string m_strDestination;
    std::string m_strTemporary;
    int m_fd = -1;
    int m_nError = 0;
};
