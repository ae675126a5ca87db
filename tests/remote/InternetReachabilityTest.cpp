#include "files/FileDescriptor.h"
#include "remote/Probe.h"

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A TCP socket bound to a free port of the loopback interface.
class LoopbackSocket {
public:
    explicit LoopbackSocket(int family = AF_INET) : m_fd(socket(family, SOCK_STREAM, 0)) {
        sockaddr_storage address{};
        socklen_t length = 0;
        if (family == AF_INET) {
            auto* v4 = reinterpret_cast<sockaddr_in*>(&address);
            v4->sin_family = AF_INET;
            v4->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            length = sizeof *v4;
        } else {
            auto* v6 = reinterpret_cast<sockaddr_in6*>(&address);
            v6->sin6_family = AF_INET6;
            v6->sin6_addr = in6addr_loopback;
            length = sizeof *v6;
        }
        m_bound = m_fd.IsOpen() &&
                  bind(m_fd.Get(), reinterpret_cast<sockaddr*>(&address), length) == 0 &&
                  getsockname(m_fd.Get(), reinterpret_cast<sockaddr*>(&address), &length) == 0;
        // Only an address that getsockname filled has the port the system gave.
        if (m_bound) {
            m_port =
                ntohs(family == AF_INET ? reinterpret_cast<sockaddr_in*>(&address)->sin_port
                                        : reinterpret_cast<sockaddr_in6*>(&address)->sin6_port);
        }
    }
    bool Bound() const { return m_bound; }
    bool Listen(int backlog = 8) { return listen(m_fd.Get(), backlog) == 0; }
    void Close() { m_fd.Reset(); }
    int Fd() const { return m_fd.Get(); }
    std::string Port() const { return std::to_string(m_port); }

private:
    CFileDescriptor m_fd;
    bool m_bound = false;
    int m_port = 0;
};

TEST(IsInternetReachable, ConnectsToAListeningHostAndSendsNothing) {
    LoopbackSocket server;
    ASSERT_TRUE(server.Bound() && server.Listen());
    EXPECT_TRUE(IsInternetReachable("127.0.0.1:" + server.Port()));
    EXPECT_TRUE(IsInternetReachable(" localhost:" + server.Port() + "\n"));
    // Both test connections are closed already, without a byte sent.
    for (int i = 0; i < 2; ++i) {
        const CFileDescriptor connection(accept(server.Fd(), nullptr, nullptr));
        ASSERT_TRUE(connection.IsOpen());
        char byte = 0;
        EXPECT_EQ(recv(connection.Get(), &byte, 1, 0), 0);
    }
}

TEST(IsInternetReachable, AcceptsABracketedIpv6Host) {
    LoopbackSocket server(AF_INET6);
    if (!server.Bound() || !server.Listen()) {
        GTEST_SKIP() << "no IPv6 loopback on this machine";
    }
    EXPECT_TRUE(IsInternetReachable("[::1]:" + server.Port()));
}

TEST(IsInternetReachable, EmptyHostMeansNoTest) {
    EXPECT_TRUE(IsInternetReachable(""));
    EXPECT_TRUE(IsInternetReachable("  "));
}

TEST(IsInternetReachable, FailsForClosedPortsUnknownNamesAndBadPorts) {
    LoopbackSocket server;
    ASSERT_TRUE(server.Bound() && server.Listen());
    LoopbackSocket closed;
    ASSERT_TRUE(closed.Bound());
    const std::string closedPort = closed.Port();
    closed.Close();
    // A lenient port reader would reach the listening server with some of these.
    const std::vector<std::string> unreachable = {
        "127.0.0.1:" + closedPort,
        "nonexistent.invalid",
        "NONEXISTENT.INVALID.:" + server.Port(),
        "127.0.0.1:" + server.Port() + "x",
        "127.0.0.1:" + std::to_string(std::stoi(server.Port()) + 65536),
        "127.0.0.1:-" + server.Port(),
        "127.0.0.1:",
        "127.0.0.1:0",
        "[127.0.0.1:" + server.Port(),
        "[::1]x" + server.Port(),
        ":" + server.Port(),
    };
    for (const std::string& host : unreachable) {
        EXPECT_FALSE(IsInternetReachable(host)) << host;
    }
}

TEST(IsInternetReachable, GivesUpOnAHostThatNeverCompletesTheConnection) {
    // With its accept queue full the server drops further connection requests unanswered.
    LoopbackSocket server;
    ASSERT_TRUE(server.Bound() && server.Listen(0));
    std::vector<CFileDescriptor> fillers;
    for (int i = 0; i < 3; ++i) {
        fillers.emplace_back(socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0));
        ASSERT_TRUE(fillers.back().IsOpen());
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<uint16_t>(std::stoi(server.Port())));
        const int connected =
            connect(fillers.back().Get(), reinterpret_cast<sockaddr*>(&address), sizeof address);
        ASSERT_TRUE(connected == 0 || errno == EINPROGRESS) << std::strerror(errno);
    }
    EXPECT_FALSE(IsInternetReachable("127.0.0.1:" + server.Port()));
}

}  // namespace
