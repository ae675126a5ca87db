#pragma once

#include <curl/curl.h>

#include <cstdint>
#include <string>

#include "remote/Address.h"
#include "remote/ReceiveWatch.h"
#include "remote/TlsTrust.h"

// The server an FTP session talks to, and how the connection is protected.
struct FtpServer {
    std::string host;
    uint16_t port = 21;
    FtpSecurity security = FtpSecurity::None;
};

// "ftp://host:port/" ("ftps://" for TLS from the first byte): the server's root, where a
// login lands.
std::string FtpServerUrl(const FtpServer& server);

// The address of an object path on a server. A path that starts with "/" is taken from
// the server's root, not from the login folder. Bytes that are unsafe in an address are
// percent-encoded; escapes already there are kept.
std::string FtpObjectUrl(const FtpServer& server, const std::string& object);

// The object path as the server names it, escapes decoded ("/my%20file" is "/my file").
std::string FtpServerPath(const std::string& object);

// True for the answers of a server that has no such file (or no such folder).
bool IsFtpNotFound(CURLcode code);

// Keeps the server's last reply line, to tell the user what a refusing server said.
class CFtpReply {
public:
    // Sets the handle up to report the server's replies here.
    void Attach(CURL* easy);
    void Clear() { m_strLast.clear(); }
    // The last reply when it was a refusal (4xx or 5xx), else empty.
    std::string Refusal() const;

private:
    static size_t OnReply(char* data, size_t size, size_t count, void* self);

    std::string m_strLast;
};

// False when the user name or password holds a carriage return, line feed or NUL: sent on
// the control connection, such a text would end the login line and add commands of its own.
// The refusal's text is the catalogue's "IDS_ERR_UNSAFEFTPLOGIN".
bool IsSafeFtpLogin(const std::string& user, const std::string& password);

// Login and the settings every FTP step shares: no directory changes (one command names
// the whole path), FTP only, data dropped unless a step wants it. Over TLS, both the
// control and the data connections are protected, a server that cannot do TLS is refused,
// and its certificate is checked through `tls`.
void ConfigureFtpHandle(CURL* easy, const FtpServer& server, const std::string& user,
                        const std::string& password, CTlsTrust& tls, const TrustedKeys& trusted);

// What the user needs to hear beyond libcurl's description of a failed step, in their
// language, or empty: that a plain login was answered with a demand for TLS (the server
// wants ftpes://), or that a server reached through ftpes:// cannot do TLS.
std::string FtpSecurityAdvice(const FtpServer& server, CURLcode code, const std::string& refusal);

// Bounds every wait of the handle's FTP steps: connecting (60 s), each reply of the server
// (30 s) and the silence of a data connection (30 s without a byte), which `watch` ends.
// `timeoutMs`, when not 0, is all three bounds at once.
CURLcode BoundFtpWaits(CURL* easy, uint32_t timeoutMs, CReceiveWatch& watch);
