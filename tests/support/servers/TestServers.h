#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

#include "files/FileDescriptor.h"

// A server script of this folder, run with the test Python ($MORVANE_TEST_PYTHON) on
// 127.0.0.1 at free ports, which it prints on its first line; stopped on destruction.
// Throws std::runtime_error when the server does not come up. The server also ends by
// itself when this process ends, through the pipe on its standard input.
class CTestServerProcess {
public:
    CTestServerProcess(const std::string& script, const std::vector<std::string>& arguments);
    ~CTestServerProcess();
    CTestServerProcess(const CTestServerProcess&) = delete;
    CTestServerProcess& operator=(const CTestServerProcess&) = delete;

    const std::vector<int>& Ports() const { return m_ports; }

private:
    void Stop();

    pid_t m_pid = -1;
    CFileDescriptor m_lifeline;  // the write end of the server's standard input
    std::vector<int> m_ports;
};

// pyftpdlib serving `root`: user "user" with password "secret", and anonymous.
class CFtpTestServer {
public:
    explicit CFtpTestServer(const std::string& root) : m_process("ftp_server.py", {root}) {}
    int Port() const { return m_process.Ports().at(0); }

private:
    CTestServerProcess m_process;
};

// The HTTP server of http_server.py serving `root`; its requests are logged in `logPath`.
// `options` are further options of the script (such as "--delay").
class CHttpTestServer {
public:
    CHttpTestServer(const std::string& root, const std::string& logPath,
                    const std::vector<std::string>& options = {});
    int Port() const { return m_process.Ports().at(0); }
    // A port that accepts connections and never answers.
    int SilentPort() const { return m_process.Ports().at(1); }
    // "http://127.0.0.1:<port>" followed by `path`.
    std::string Url(const std::string& path) const;
    std::vector<std::string> LogLines() const;

private:
    std::string m_strLogPath;
    CTestServerProcess m_process;
};

// A port of 127.0.0.1 on which nothing listens.
int ClosedPort();
