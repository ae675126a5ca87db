#include "TestServers.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace {

constexpr int kStartTimeoutMs = 15000;
// A server that has not ended this long after SIGTERM is killed: a test never waits for a
// stuck launcher. A launcher gives its server 5 s before killing it.
constexpr auto kStopTimeout = std::chrono::seconds(15);

std::string PythonPath() {
    const char* python = std::getenv("MORVANE_TEST_PYTHON");
    return python && *python ? python : "/usr/bin/python3";
}

// The first line the server prints, or "" when none comes in time.
std::string ReadFirstLine(int fd) {
    std::string line;
    pollfd entry{fd, POLLIN, 0};
    while (poll(&entry, 1, kStartTimeoutMs) > 0) {
        char c = 0;
        if (read(fd, &c, 1) != 1 || c == '\n') {
            break;
        }
        line += c;
    }
    return line;
}

std::vector<std::string> HttpServerArguments(const std::string& root, const std::string& logPath,
                                             const std::vector<std::string>& options) {
    std::vector<std::string> arguments{root, "--log", logPath};
    arguments.insert(arguments.end(), options.begin(), options.end());
    return arguments;
}

// Whether `pid` ended within `timeout`; it is reaped if so.
bool Reaped(pid_t pid, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (waitpid(pid, nullptr, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

}  // namespace

CTestServerProcess::CTestServerProcess(const std::string& script,
                                       const std::vector<std::string>& arguments) {
    int output[2];
    if (pipe2(output, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    CFileDescriptor outputRead(output[0]);
    CFileDescriptor outputWrite(output[1]);
    int input[2];
    if (pipe2(input, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    CFileDescriptor inputRead(input[0]);
    m_lifeline.Reset(input[1]);
    std::vector<std::string> words{PythonPath(),
                                   std::string(MORVANE_TEST_SERVERS_DIR) + "/" + script};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    argv.reserve(words.size() + 1);
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outputWrite.Get(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, inputRead.Get(), STDIN_FILENO);
    const int failed = posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    outputWrite.Reset();
    inputRead.Reset();
    const std::string line = failed ? std::string() : ReadFirstLine(outputRead.Get());
    outputRead.Reset();
    std::istringstream printed(line);
    std::string tag;
    printed >> tag;
    for (int port = 0; printed >> port;) {
        m_ports.push_back(port);
    }
    if (tag != "PORT" || m_ports.empty()) {
        Stop();
        throw std::runtime_error("test server " + script + " did not start");
    }
}

CTestServerProcess::~CTestServerProcess() {
    Stop();
}

void CTestServerProcess::Stop() {
    m_lifeline.Reset();
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        if (!Reaped(m_pid, kStopTimeout)) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        m_pid = -1;
    }
}

CHttpTestServer::CHttpTestServer(const std::string& root, const std::string& logPath,
                                 const std::vector<std::string>& options)
    : m_strLogPath(logPath),
      m_process("http_server.py", HttpServerArguments(root, logPath, options)) {}

std::string CHttpTestServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(Port()) + path;
}

std::vector<std::string> CHttpTestServer::LogLines() const {
    std::vector<std::string> lines;
    std::ifstream log(m_strLogPath);
    for (std::string line; std::getline(log, line);) {
        lines.push_back(line);
    }
    return lines;
}

// The port the system gives a socket bound to port 0, free again once the socket is closed.
int ClosedPort() {
    const CFileDescriptor fd(socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (!fd.IsOpen() || bind(fd.Get(), reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        getsockname(fd.Get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("no port of 127.0.0.1 to spare");
    }
    return ntohs(address.sin_port);
}
