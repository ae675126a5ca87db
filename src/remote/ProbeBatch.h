#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "remote/Probe.h"

// One probe of a pass: an FTP or SFTP file with its login, or an HTTP address.
struct ProbeRequest {
    enum class Protocol { Ftp, Http, Sftp };
    Protocol protocol = Protocol::Http;
    // The server the probe connects to first; its probes share that server's fate.
    std::string server;
    uint16_t port = 0;
    std::string address;    // Http
    FtpProbeRequest ftp;    // Ftp
    SftpProbeRequest sftp;  // Sftp
};

// How many connections the probes of a pass hold at most, in all and to one server.
struct ProbeLimits {
    long total = 16;
    long perServer = 4;
};

// Runs every probe side by side on this thread through one libcurl multi handle, within the
// limits; a connection (an FTP login too) serves the next probe of its server once free.
// When a probe fails because its server refused the connection or let a wait run out, the
// probes of that server still running end at once with that result: the pass waits for a
// silent server once. The results come in the order of the requests.
// A TLS server is held to the key `trusted` names for it, if any.
std::vector<ProbeResult> ProbeSideBySide(const std::vector<ProbeRequest>& requests,
                                         const ProbeLimits& limits,
                                         const TrustedKeys& trusted = {});
