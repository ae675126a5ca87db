#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The user's SSH known_hosts file, read and written as OpenSSH does: one host key a line,
// "NAMES TYPE BASE64 [COMMENT]", where NAMES is a comma-separated list of patterns ("*" and
// "?" wildcards, "!" to exclude) or one hashed name ("|1|SALT|HMAC-SHA1"), a server on
// another port than 22 is named "[host]:port", and "@revoked" marks a key never to accept.

// How a server is named there: the host in lower case, "[host]:port" beyond port 22.
std::string KnownHostName(const std::string& host, uint16_t port);

// The key type written in a host key's wire form ("ssh-ed25519"), empty when malformed.
std::string HostKeyType(const std::string& key);
// The type as ssh names it to the user: "ED25519", "ECDSA", "RSA", "DSA".
std::string HostKeyTypeLabel(const std::string& key);
// "SHA256:" and the unpadded base64 of the key's SHA-256, as ssh shows a fingerprint.
std::string HostKeyFingerprint(const std::string& key);

enum class HostKeyStatus {
    Known,    // a line of the server holds exactly this key
    Unknown,  // no line names the server
    Changed,  // lines name the server, none with this key
    Revoked,  // an "@revoked" line holds this key
};

struct HostKeyVerdict {
    HostKeyStatus status = HostKeyStatus::Unknown;
    int line = 0;  // Changed: the line of a key known for the server
};

// What known_hosts text says of `key` (wire form) shown by the server named `name`
// (KnownHostName). Comments, blank lines, certificate authorities and lines that cannot be
// read are passed over.
HostKeyVerdict CheckHostKey(const std::string& knownHosts, const std::string& name,
                            const std::string& key);

// The keys known for the server (wire form), of the most wanted type first: a connection
// asks the server for a type known for it, so that the key it shows is the one known.
std::vector<std::string> KnownKeys(const std::string& knownHosts, const std::string& name);

// The line ssh appends for a new server: "NAME TYPE BASE64" and a line end.
std::string KnownHostLine(const std::string& name, const std::string& key);

// The user's file: $HOME/.ssh/known_hosts, the home of the password database without HOME.
std::string UserKnownHostsPath();

// The file's text; empty when it is missing or cannot be read.
std::string ReadKnownHosts(const std::string& path);

// Adds the server's key at the end of the file unless a line already holds it; every other
// byte stays as it was (a last line without a line end gets one first). Creates the folder
// (mode 700) and the file when missing. False when it could not be written.
bool AddKnownHost(const std::string& path, const std::string& name, const std::string& key);
