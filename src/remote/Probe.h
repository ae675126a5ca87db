#pragma once

#include <cstdint>
#include <string>

class IMessageBoxes;

// How a probe ended: the copy was found, the server said it does not exist (FTP: not in
// the listing; HTTP: 404 or 410), or anything else went wrong.
enum class ProbeStatus { Found, NotFound, Failed };

struct FtpProbeRequest {
    std::string object;
    std::string server;
    std::string user;
    std::string password;
    uint16_t port = 21;
};

// 1 when the file is on the server: its last-write time and full server path are written.
// 0 otherwise; a failed login or connection shows its description under "FTP connection
// error" first. `status`, when given, tells "not found" apart from a failure.
int ProbeFtpFile(const FtpProbeRequest& request, int64_t& time, std::string& serverPath,
                 IMessageBoxes& boxes, ProbeStatus* status = nullptr);

// 1 with the answer's Last-Modified time (read as GMT) and the address's path; 0 on any
// failure, after its own error box. `status` as for FTP.
int ProbeHttpFile(const std::string& address, int64_t& time, std::string& path,
                  IMessageBoxes& boxes, ProbeStatus* status = nullptr);

// 1 when a TCP connection to the probe host ("host" or "host:port", port 80 by default)
// succeeds within a few seconds, else 0. An empty host means no test: 1. Silent.
int IsInternetReachable(const std::string& probeHost);
