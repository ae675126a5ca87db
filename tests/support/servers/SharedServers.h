#pragma once

#include "TempDir.h"
#include "TestServers.h"

#include <string>

// One FTP server (with a login) and one HTTP server for the whole test program, serving the
// same folder; their files carry one fixed time.
class CSharedServers {
public:
    static constexpr long long kServedTime = 1013336160;  // 10/02/2002 10:16:00 GMT

    static CSharedServers& Get();

    // Writes `bytes` as the served file `name` (folders included), dated kServedTime.
    void Serve(const std::string& name, const std::string& bytes) const;
    std::string FtpUrl(const std::string& name) const;
    // The address of `name` on the HTTP server with Last-Modified and Content-Length.
    std::string HttpUrl(const std::string& name) const;
    // Whether the HTTP server has had a request for `path`.
    bool Requested(const std::string& path) const;
    // How many connections the HTTP server's silent port has accepted.
    long Accepted() const;

    TempDir root;
    TempDir logs;
    CFtpTestServer ftp{root.Path().string()};
    CHttpTestServer http{root.Path().string(), logs.File("requests.log")};

private:
    CSharedServers() = default;
};
