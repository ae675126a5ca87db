#include "platform/ProgramPaths.h"

#include "files/UserFolders.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string BaseName(const fs::path& file) {
    // The extension starts at the last dot of the file name; a leading dot starts none.
    const std::string name = file.filename().string();
    const auto dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

bool IsWritableFolder(const fs::path& folder) {
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

}  // namespace

std::string WithExtension(const std::string& path, const std::string& extension) {
    const fs::path file(path);
    return (file.parent_path() / (BaseName(file) + "." + extension)).string();
}

bool IsSystemFolder(const std::string& folder) {
    const fs::path normal = fs::path(folder).lexically_normal();
    if (normal == "/bin" || normal == "/bin/") {
        return true;
    }
    const fs::path underUsr = normal.lexically_relative("/usr");
    return !underUsr.empty() && *underUsr.begin() != "..";
}

ProgramPaths PathsForProgram(const std::string& programFile) {
    const fs::path folder = fs::path(programFile).parent_path();
    return PathsForProgram(programFile,
                           !IsSystemFolder(folder.string()) && IsWritableFolder(folder));
}

ProgramPaths PathsForProgram(const std::string& programFile, bool besideProgram) {
    const fs::path program(programFile);
    if (besideProgram) {
        return {WithExtension(programFile, "INI"), WithExtension(programFile, "MVN")};
    }
    const std::string base = BaseName(program);
    const fs::path config = UserFolder("XDG_CONFIG_HOME", ".config");
    const fs::path data = UserFolder("XDG_DATA_HOME", ".local/share");
    std::error_code ignored;
    fs::create_directories(config, ignored);
    fs::create_directories(data, ignored);
    return {(config / (base + ".INI")).string(), (data / (base + ".MVN")).string()};
}

std::string CurrentProgramFile() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string() : self.string();
}
