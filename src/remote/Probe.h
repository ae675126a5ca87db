#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "remote/Address.h"
#include "remote/RemoteMessage.h"
#include "remote/SftpSupport.h"
#include "remote/Task.h"
#include "remote/TlsTrust.h"

class ICurlRunner;

// How a probe ended: the copy was found, the server said it does not exist (FTP: not in
// the listing; HTTP: 404 or 410), or anything else went wrong.
enum class ProbeStatus { Found, NotFound, Failed };

// What a probe found out. The probe shows nothing: its box, when it has one, is in
// `message`, for the caller to show or to leave when the answer is an expected absence.
struct ProbeResult {
    ProbeStatus status = ProbeStatus::Failed;
    int64_t time = -1;  // Found: the copy's last-write time
    std::string path;   // Found: the file's path on the server (HTTP: the address's path)
    std::optional<RemoteMessage> message;
    // Failed because the server could not be trusted: which server, why, and its key.
    std::optional<UntrustedServer> untrusted;
    // Failed because the SSH server's host key was not accepted.
    std::optional<SshHostRefusal> refusedHost;
    // Failed because the server refused the connection or let a wait run out: another probe
    // of the same server at the same time would fare no better.
    bool serverDown = false;
};

struct FtpProbeRequest {
    std::string object;
    std::string server;
    std::string user;
    std::string password;
    uint16_t port = 21;
    FtpSecurity security = FtpSecurity::None;
};

// Logs in and looks the file up. A failed login or connection carries its description
// under "FTP connection error"; a file that is not there carries no message. A TLS server
// is held to the key `trusted` names for it, if any.
ProbeResult ProbeFtpFile(const FtpProbeRequest& request, const TrustedKeys& trusted = {});
// The same, its requests run by `runner`; `request` and `trusted` must outlive the task.
Task<ProbeResult> ProbeFtp(const FtpProbeRequest& request, const TrustedKeys& trusted,
                           ICurlRunner& runner);

struct SftpProbeRequest {
    std::string object;
    SftpLogin login;
    bool acceptNewHostKey = false;  // an unknown server's key is added to known_hosts
};

// Logs in and reads the file's attributes: its time, exact to the second. A file that is
// not there carries no message; one that cannot be read is a failure, as is a host key that
// known_hosts does not vouch for (its box names the key's fingerprint).
ProbeResult ProbeSftpFile(const SftpProbeRequest& request);
// The same, its request run by `runner`; `request` must outlive the task.
Task<ProbeResult> ProbeSftp(const SftpProbeRequest& request, ICurlRunner& runner);

// One GET: the answer's Last-Modified time (read as GMT) and the address's path. Every
// failure carries its error box, a 404 or 410 too. A TLS server is held to the key
// `trusted` names for it, if any.
ProbeResult ProbeHttpFile(const std::string& address, const TrustedKeys& trusted = {});
// The same, its request run by `runner`; `address` and `trusted` must outlive the task.
Task<ProbeResult> ProbeHttp(const std::string& address, const TrustedKeys& trusted,
                            ICurlRunner& runner);

// Whether a TCP connection to the probe host ("host" or "host:port", port 80 by default)
// succeeds within a few seconds. An empty host means no test: reachable. Silent.
bool IsInternetReachable(const std::string& probeHost);
