#include "files/UserFolders.h"

#include <cstdlib>

std::filesystem::path UserFolder(const char* variable, const char* fallbackUnderHome) {
    const char* value = std::getenv(variable);
    if (value && *value == '/') {
        return std::filesystem::path(value) / "morvane";
    }
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home ? home : "/") / fallbackUnderHome / "morvane";
}
