#pragma once

#include <string>

#include "TempDir.h"
#include "TestServers.h"

// OpenSSH's sshd for one test, run by sshd_server.py as its own foreground process with its
// own host key, configuration and login files in a folder of its own, on a free port of
// 127.0.0.1 and ::1; stopped on destruction. Its one user, "watcher" (password "secret"),
// has `root` as home (a folder directly under the temporary folder, which it opens to that
// user) and reaches only SFTP.
class CSshTestServer {
public:
    // Whether sshd is installed and may be run here: it needs root, to be given a mount
    // namespace of its own. Tests skip when it may not.
    static bool Available();

    // `authorizedKey`, when not empty, is the public key file the user may log in with.
    explicit CSshTestServer(const std::string& root, const std::string& authorizedKey = "");

    int Port() const { return m_process.Ports().at(0); }
    // A port that greets as an SSH server would, then never says another word.
    int StalledPort() const { return m_process.Ports().at(1); }
    // "sftp://watcher@127.0.0.1:<port>" followed by `path`; "[::1]" with `ipv6`.
    std::string Url(const std::string& path, bool ipv6 = false) const;
    // The server's public host key file.
    std::string HostKeyFile() const { return m_work.File("host_key.pub"); }

private:
    TempDir m_work;
    CTestServerProcess m_process;
};

// Makes a key pair with ssh-keygen at `path` (and `path`.pub), without a passphrase unless
// one is given.
void MakeSshKey(const std::string& path, const std::string& passphrase = "");

// The fingerprint ssh-keygen shows for a public key file: "SHA256:…".
std::string SshKeygenFingerprint(const std::string& publicKeyFile);

// "TYPE BASE64" of a public key file, without its comment: as known_hosts holds the key.
std::string PublicKeyText(const std::string& publicKeyFile);

// Hashes the names of a known_hosts file with ssh-keygen -H.
void HashKnownHosts(const std::string& path);
