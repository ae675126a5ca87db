#include "PackageServers.h"

#include <fstream>

#include <unistd.h>

namespace {

const char* ProgramPath(PackageServerKind kind) {
    switch (kind) {
        case PackageServerKind::Proftpd:
            return "/usr/sbin/proftpd";
        case PackageServerKind::Lighttpd:
            return "/usr/sbin/lighttpd";
        case PackageServerKind::Nginx:
            break;
    }
    return "/usr/sbin/nginx";
}

std::vector<std::string> LauncherArguments(PackageServerKind kind, const std::string& root,
                                           const std::string& work,
                                           const std::vector<std::string>& deniedCommands,
                                           const std::string& listingFacts) {
    std::vector<std::string> arguments{ProgramPath(kind), root, work};
    for (const std::string& commands : deniedCommands) {
        arguments.insert(arguments.end(), {"--deny", commands});
    }
    if (!listingFacts.empty()) {
        arguments.insert(arguments.end(), {"--facts", listingFacts});
    }
    return arguments;
}

}  // namespace

bool CPackageServer::Installed(PackageServerKind kind) {
    return access(ProgramPath(kind), X_OK) == 0;
}

CPackageServer::CPackageServer(PackageServerKind kind, const std::string& root,
                               const std::vector<std::string>& deniedCommands,
                               const std::string& listingFacts)
    : m_kind(kind),
      m_process("package_server.py", LauncherArguments(kind, root, m_work.Path().string(),
                                                       deniedCommands, listingFacts)) {}

int CPackageServer::Logins() const {
    std::ifstream log(m_work.File("logins.log"));
    int logins = 0;
    for (std::string line; std::getline(log, line);) {
        // "PASS (hidden)" answered 230: a login accepted.
        logins +=
            line.find("\"PASS ") != std::string::npos && line.find("\" 230 ") != std::string::npos
                ? 1
                : 0;
    }
    return logins;
}

std::string CPackageServer::Url(const std::string& path, bool ipv6) const {
    const char* scheme = m_kind == PackageServerKind::Proftpd ? "ftp://" : "http://";
    return scheme + std::string(ipv6 ? "[::1]" : "127.0.0.1") + ":" + std::to_string(Port()) + path;
}
