#pragma once

#include <curl/curl.h>

#include <cstdint>
#include <optional>
#include <string>

#include "files/FileDescriptor.h"
#include "remote/KnownHosts.h"
#include "remote/RemoteMessage.h"

// The SSH server an SFTP session talks to, and its login.
struct SftpLogin {
    std::string host;
    uint16_t port = 22;
    std::string user;
    std::string password;  // empty: the SSH agent and the user's keys
};

// The user an SFTP copy logs in as: the one written in the address, else the element's FTP
// user unless it is empty or "anonymous", else the local login name.
std::string SftpUser(const std::string& addressUser, const std::string& ftpUser);

// "sftp://host:port/path": a path that starts with "/~/" is taken from the user's home.
std::string SftpUrl(const SftpLogin& login, const std::string& object);

// A server whose host key was not accepted, and the key it showed.
struct SshHostRefusal {
    HostKeyStatus status = HostKeyStatus::Unknown;  // Unknown, Changed or Revoked
    std::string name;        // the server as known_hosts names it (KnownHostName)
    std::string key;         // its key, wire form
    std::string knownHosts;  // the file it was checked against
    int line = 0;            // Changed: the line of the key known for the server
};

// The host-key check of one easy handle's SSH connections, against the user's known_hosts
// as OpenSSH checks it. An unknown server is refused, or with `acceptNew` added to the file
// and accepted; a changed or revoked key is always refused. Records what it refused.
class CSshHostCheck {
public:
    CSshHostCheck() = default;
    CSshHostCheck(const CSshHostCheck&) = delete;
    CSshHostCheck& operator=(const CSshHostCheck&) = delete;

    // Sets up `easy`, whose connections go to `host`:`port`, and which must not outlive this.
    void Configure(CURL* easy, const std::string& host, uint16_t port, bool acceptNew);

    // The refusal that ended a transfer with `code`, or nothing when it was another failure.
    std::optional<SshHostRefusal> Refused(CURLcode code) const;

private:
    static int OnHostKey(void* self, int type, const char* key, size_t length);
    void AskForKnownType(CURL* easy);

    std::string m_strName;
    std::string m_strKnownHosts;
    bool m_bAcceptNew = false;
    std::optional<SshHostRefusal> m_refusal;
    CFileDescriptor m_wantedType;
};

// Login and the settings every SFTP request shares: SFTP only; the password when there is
// one, else the SSH agent and the first of ~/.ssh/id_ed25519, id_ecdsa, id_rsa; the host key
// checked through `hostCheck`.
void ConfigureSftpHandle(CURL* easy, const SftpLogin& login, CSshHostCheck& hostCheck,
                         bool acceptNewHostKey);

// The box of a refused host key, in the user's language: a warning for a changed or revoked
// key, a connection error for an unknown server.
RemoteMessage DescribeRefusedHost(const SshHostRefusal& refusal);

// "ED25519 key fingerprint is SHA256:…", as ssh shows the key, in the user's language.
std::string FingerprintLine(const std::string& key);
