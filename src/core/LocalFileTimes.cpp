#include "core/LocalFileTimes.h"

#include <glob.h>
#include <sys/stat.h>

bool FileModificationTime(const std::string& path, TimeValue& time) {
    struct stat status {};
    if (path.empty() || stat(path.c_str(), &status) != 0) {
        return false;
    }
    time = status.st_mtim.tv_sec;
    return true;
}

bool FindFirstFileTime(const std::string& name, TimeValue& time) {
    // A file whose name holds pattern characters is found as it stands; and a name
    // without them matches only itself, so its folder need not be read.
    if (FileModificationTime(name, time)) {
        return true;
    }
    if (name.find_first_of("*?[") == std::string::npos) {
        return false;
    }
    glob_t matches{};
    bool found = false;
    if (glob(name.c_str(), GLOB_NOESCAPE, nullptr, &matches) == 0 && matches.gl_pathc > 0) {
        found = FileModificationTime(matches.gl_pathv[0], time);
    }
    globfree(&matches);
    return found;
}
