#pragma once

#include <string>
#include <utility>
#include <vector>

#include "TempDir.h"
#include "TestServers.h"

// The servers of Debian packages that the tests run as their own processes.
enum class PackageServerKind { Proftpd, Nginx, Lighttpd };

// What a server shows over TLS: a certificate and its key, and for proftpd whether TLS
// comes from the first byte (ftps://) or after AUTH TLS (ftpes://, required before the login).
struct PackageServerTls {
    PackageServerTls(std::string certificateFile, std::string keyFile, bool implicitTls)
        : certificate(std::move(certificateFile)), key(std::move(keyFile)), implicit(implicitTls) {}

    std::string certificate;
    std::string key;
    bool implicit;
};

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
    // nginx serving over TLS on a second port as well, or proftpd speaking only TLS.
    CPackageServer(PackageServerKind kind, const std::string& root, const PackageServerTls& tls,
                   const std::vector<std::string>& deniedCommands = {});

    int Port() const { return m_process.Ports().at(0); }
    // "ftp://127.0.0.1:<port>" or "http://127.0.0.1:<port>" followed by `path`; with `ipv6`,
    // "[::1]" instead of 127.0.0.1.
    std::string Url(const std::string& path, bool ipv6 = false) const;
    // proftpd: how many logins it has accepted so far.
    int Logins() const;
    // The same over TLS: "https://" and nginx's TLS port, or proftpd's "ftps://" or "ftpes://".
    std::string SecureUrl(const std::string& path, bool ipv6 = false) const;

private:
    PackageServerKind m_kind;
    bool m_bImplicitTls = false;
    TempDir m_work;
    CTestServerProcess m_process;
};
