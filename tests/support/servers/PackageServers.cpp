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

std::vector<std::string> TlsArguments(PackageServerKind kind, const std::string& root,
                                      const std::string& work, const PackageServerTls& tls,
                                      const std::vector<std::string>& deniedCommands) {
    std::vector<std::string> arguments = LauncherArguments(kind, root, work, deniedCommands, "");
    arguments.insert(arguments.end(), {"--cert", tls.certificate, "--key", tls.key});
    if (kind == PackageServerKind::Proftpd) {
        arguments.insert(arguments.end(), {"--tls", tls.implicit ? "implicit" : "explicit"});
    }
    return arguments;
}

std::string Host(bool ipv6) {
    return ipv6 ? "[::1]" : "127.0.0.1";
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

CPackageServer::CPackageServer(PackageServerKind kind, const std::string& root,
                               const PackageServerTls& tls,
                               const std::vector<std::string>& deniedCommands)
    : m_kind(kind),
      m_bImplicitTls(tls.implicit),
      m_process("package_server.py",
                TlsArguments(kind, root, m_work.Path().string(), tls, deniedCommands)) {}

std::string CPackageServer::Url(const std::string& path, bool ipv6) const {
    const char* scheme = m_kind == PackageServerKind::Proftpd ? "ftp://" : "http://";
    return scheme + Host(ipv6) + ":" + std::to_string(Port()) + path;
}

std::string CPackageServer::SecureUrl(const std::string& path, bool ipv6) const {
    if (m_kind != PackageServerKind::Proftpd) {
        return "https://" + Host(ipv6) + ":" + std::to_string(m_process.Ports().at(1)) + path;
    }
    const char* scheme = m_bImplicitTls ? "ftps://" : "ftpes://";
    return scheme + Host(ipv6) + ":" + std::to_string(Port()) + path;
}
