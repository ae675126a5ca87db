#include "remote/Probe.h"
#include "remote/Trimmed.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <optional>
#include <string_view>

#include "files/FileDescriptor.h"

namespace {

using Clock = std::chrono::steady_clock;

// Bounds the whole test, every address of the host together: the check waits for it.
constexpr std::chrono::milliseconds kConnectTimeout{4000};

struct ProbeTarget {
    std::string host;
    std::string port;
};

// Blanks a user may leave around the host they typed.
bool IsSpace(unsigned char c) {
    return std::isspace(c) != 0;
}

bool IsValidPort(std::string_view text) {
    if (text.empty()) {
        return false;
    }
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + (c - '0');
        if (value > 65535) {
            return false;
        }
    }
    return value != 0;
}

// "host", "host:port", "[v6]" or "[v6]:port"; a bare IPv6 address names no port.
std::optional<ProbeTarget> ParseProbeHost(std::string_view text) {
    std::string_view host = text;
    std::string_view port = "80";
    if (text.starts_with('[')) {
        const size_t close = text.find(']');
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        host = text.substr(1, close - 1);
        const std::string_view rest = text.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') {
                return std::nullopt;
            }
            port = rest.substr(1);
        }
    } else if (const size_t colon = text.find(':');
               colon == text.rfind(':') && colon != std::string_view::npos) {
        host = text.substr(0, colon);
        port = text.substr(colon + 1);
    }
    if (host.empty() || !IsValidPort(port)) {
        return std::nullopt;
    }
    return ProbeTarget{std::string(host), std::string(port)};
}

// Names under "invalid" never exist (RFC 6761): answer at once, without asking a resolver.
bool IsInReservedInvalidDomain(std::string_view host) {
    if (host.ends_with('.')) {
        host.remove_suffix(1);
    }
    constexpr std::string_view kInvalid = "invalid";
    if (host.size() < kInvalid.size()) {
        return false;
    }
    const std::string_view last = host.substr(host.size() - kInvalid.size());
    for (size_t i = 0; i < last.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(last[i])) != kInvalid[i]) {
            return false;
        }
    }
    return host.size() == kInvalid.size() || host[host.size() - kInvalid.size() - 1] == '.';
}

bool WaitUntilConnected(int socketFd, Clock::time_point deadline) {
    pollfd waited{socketFd, POLLOUT, 0};
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            return false;
        }
        const int ready = poll(&waited, 1, static_cast<int>(left.count()));
        if (ready > 0) {
            break;
        }
        if (ready == 0 || errno != EINTR) {
            return false;
        }
    }
    int error = 0;
    socklen_t length = sizeof error;
    return getsockopt(socketFd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
}

// Opens and closes at once: the test sends nothing.
bool ConnectsBefore(const addrinfo& address, Clock::time_point deadline) {
    const CFileDescriptor socketFd(socket(address.ai_family,
                                          address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                                          address.ai_protocol));
    return socketFd.IsOpen() &&
           (connect(socketFd.Get(), address.ai_addr, address.ai_addrlen) == 0 ||
            (errno == EINPROGRESS && WaitUntilConnected(socketFd.Get(), deadline)));
}

}  // namespace

bool IsInternetReachable(const std::string& probeHost) {
    const std::string_view text = Trimmed(probeHost, IsSpace);
    if (text.empty()) {
        return true;
    }
    const std::optional<ProbeTarget> target = ParseProbeHost(text);
    if (!target || IsInReservedInvalidDomain(target->host)) {
        return false;
    }
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* addresses = nullptr;
    if (getaddrinfo(target->host.c_str(), target->port.c_str(), &hints, &addresses) != 0) {
        return false;
    }
    const Clock::time_point deadline = Clock::now() + kConnectTimeout;
    bool reached = false;
    for (const addrinfo* address = addresses; address && !reached; address = address->ai_next) {
        reached = ConnectsBefore(*address, deadline);
    }
    freeaddrinfo(addresses);
    return reached;
}
