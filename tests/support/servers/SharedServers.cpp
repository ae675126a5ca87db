#include "SharedServers.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

CSharedServers& CSharedServers::Get() {
    static CSharedServers servers;
    return servers;
}

void CSharedServers::Serve(const std::string& name, const std::string& bytes) const {
    const std::string path = root.File(name);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    WriteWholeFile(path, bytes);
    const struct timespec times[2] = {{kServedTime, 0}, {kServedTime, 0}};
    utimensat(AT_FDCWD, path.c_str(), times, 0);
}

std::string CSharedServers::FtpUrl(const std::string& name) const {
    return "ftp://127.0.0.1:" + std::to_string(ftp.Port()) + "/" + name;
}

std::string CSharedServers::HttpUrl(const std::string& name) const {
    return http.Url("/files/" + name);
}

bool CSharedServers::Requested(const std::string& path) const {
    const auto lines = http.LogLines();
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& line) { return line.starts_with("GET " + path); });
}

long CSharedServers::Accepted() const {
    const auto lines = http.LogLines();
    return std::count(lines.begin(), lines.end(), "ACCEPT");
}
