#pragma once

#include <string>
#include <vector>

#include "TempDir.h"
#include "TestServers.h"

// The servers of Debian packages that the tests run as their own processes.
enum class PackageServerKind { Proftpd, Nginx, Lighttpd };

// One server of package_server.py on a free port of 127.0.0.1 and ::1, configured in a
// folder of its own, serving `root` (a folder directly under the temporary folder, which it
// opens to the server's user); stopped on destruction.
class CPackageServer {
public:
    // Whether the server's program is installed: tests skip when it is not.
    static bool Installed(PackageServerKind kind);

    // For proftpd, each of `deniedCommands` ("MDTM SIZE") is refused to every user, and
    // `listingFacts` ("type size"), when not empty, are the only facts of its machine
    // listings.
    CPackageServer(PackageServerKind kind, const std::string& root,
                   const std::vector<std::string>& deniedCommands = {},
                   const std::string& listingFacts = "");

    int Port() const { return m_process.Ports().at(0); }
    // "ftp://127.0.0.1:<port>" or "http://127.0.0.1:<port>" followed by `path`; with `ipv6`,
    // "[::1]" instead of 127.0.0.1.
    std::string Url(const std::string& path, bool ipv6 = false) const;
    // proftpd: how many logins it has accepted so far.
    int Logins() const;

private:
    PackageServerKind m_kind;
    TempDir m_work;
    CTestServerProcess m_process;
};
