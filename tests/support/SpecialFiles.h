#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

// A file that no writer may replace, made by the test in its own folder.
struct SpecialFile {
    std::string kind;  // "device", "FIFO", "socket", "folder", or "link to …"
    std::string path;
};

// In `folder`: a character device with the numbers of the null device (when we may make
// one: tests run as root), a FIFO, a socket and a folder, then a symbolic link to each.
std::vector<SpecialFile> MakeSpecialFiles(const std::filesystem::path& folder);

// What tells a file apart from a replacement of it: its type, device and inode, through links.
struct FileIdentity {
    mode_t type = 0;
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};
FileIdentity IdentityOf(const std::string& path);

// The names in `folder`, sorted.
std::vector<std::string> NamesIn(const std::filesystem::path& folder);
