#include "remote/KnownHosts.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <mutex>
#include <optional>
#include <sstream>

#include "files/FileDescriptor.h"

namespace {

// A known_hosts file larger than this is not one a user keeps.
constexpr std::streamsize kMaxKnownHostsBytes = std::streamsize{16} * 1024 * 1024;

// Types in the order a connection asks for them, as OpenSSH's client orders them.
const char* const kPreferredTypes[] = {
    "ssh-ed25519", "ecdsa-sha2-nistp256", "ecdsa-sha2-nistp384", "ecdsa-sha2-nistp521", "ssh-rsa",
    "ssh-dss"};

std::string Lowered(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

std::string Base64(const std::string& bytes) {
    std::string encoded(4 * ((bytes.size() + 2) / 3) + 1, '\0');
    const int length = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(encoded.data()),
                                       reinterpret_cast<const unsigned char*>(bytes.data()),
                                       static_cast<int>(bytes.size()));
    encoded.resize(static_cast<size_t>(std::max(length, 0)));
    return encoded;
}

std::optional<std::string> FromBase64(const std::string& text) {
    if (text.empty() || text.size() % 4 != 0) {
        return std::nullopt;
    }
    std::string bytes(text.size() / 4 * 3, '\0');
    const int length = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(bytes.data()),
                                       reinterpret_cast<const unsigned char*>(text.data()),
                                       static_cast<int>(text.size()));
    if (length < 0) {
        return std::nullopt;
    }
    // The block decoder counts the padding as bytes.
    const auto padding = static_cast<size_t>(std::count(text.end() - 2, text.end(), '='));
    bytes.resize(static_cast<size_t>(length) - padding);
    return bytes;
}

// OpenSSH's glob: "*" any run of characters, "?" any one.
bool MatchesGlob(const char* text, const char* pattern) {
    for (;; ++text, ++pattern) {
        if (*pattern == '\0') {
            return *text == '\0';
        }
        if (*pattern == '*') {
            for (const char* rest = text;; ++rest) {
                if (MatchesGlob(rest, pattern + 1)) {
                    return true;
                }
                if (*rest == '\0') {
                    return false;
                }
            }
        }
        if (*text == '\0' || (*pattern != '?' && *pattern != *text)) {
            return false;
        }
    }
}

// A comma-separated pattern list names the server when one pattern matches and no "!"
// pattern does.
bool PatternsName(const std::string& patterns, const std::string& name) {
    bool named = false;
    std::istringstream list(Lowered(patterns));
    for (std::string pattern; std::getline(list, pattern, ',');) {
        const bool negated = pattern.starts_with('!');
        if (MatchesGlob(name.c_str(), pattern.c_str() + (negated ? 1 : 0))) {
            if (negated) {
                return false;
            }
            named = true;
        }
    }
    return named;
}

// "|1|SALT|HASH": the HMAC-SHA1 of the name keyed with the salt.
bool HashNames(const std::string& hashed, const std::string& name) {
    const size_t bar = hashed.find('|', 3);
    if (bar == std::string::npos) {
        return false;
    }
    const auto salt = FromBase64(hashed.substr(3, bar - 3));
    const auto hash = FromBase64(hashed.substr(bar + 1));
    if (!salt || !hash) {
        return false;
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!HMAC(EVP_sha1(), salt->data(), static_cast<int>(salt->size()),
              reinterpret_cast<const unsigned char*>(name.data()), name.size(), digest, &length)) {
        return false;
    }
    return *hash == std::string(reinterpret_cast<const char*>(digest), length);
}

bool Names(const std::string& names, const std::string& name) {
    return names.starts_with("|1|") ? HashNames(names, name) : PatternsName(names, name);
}

enum class Marker { None, Revoked, Other };

// One line that names the server, with its key in wire form.
struct Entry {
    Marker marker = Marker::None;
    std::string key;
    int line = 0;
};

std::optional<Entry> ReadEntry(const std::string& text, const std::string& name, int lineNumber) {
    std::istringstream fields(text);
    std::string names;
    if (!(fields >> names) || names.starts_with('#')) {
        return std::nullopt;
    }
    Entry entry{Marker::None, {}, lineNumber};
    if (names.starts_with('@')) {
        entry.marker = names == "@revoked" ? Marker::Revoked : Marker::Other;
        if (!(fields >> names)) {
            return std::nullopt;
        }
    }
    std::string type;
    std::string base64;
    if (!Names(names, name) || !(fields >> type >> base64)) {
        return std::nullopt;
    }
    const auto key = FromBase64(base64);
    if (!key || HostKeyType(*key) != type) {
        return std::nullopt;
    }
    entry.key = *key;
    return entry;
}

std::vector<Entry> EntriesNaming(const std::string& knownHosts, const std::string& name) {
    std::vector<Entry> entries;
    std::istringstream lines(knownHosts);
    int lineNumber = 0;
    for (std::string line; std::getline(lines, line);) {
        if (auto entry = ReadEntry(line, name, ++lineNumber)) {
            entries.push_back(std::move(*entry));
        }
    }
    return entries;
}

uint32_t ReadUint32(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) {
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) {
        return home;
    }
    passwd entry{};
    passwd* user = nullptr;
    char buffer[4096];
    // Reentrant: probes and downloads run on threads of their own.
    getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &user);
    return user && user->pw_dir ? user->pw_dir : "";
}

bool EndsWithLineEnd(int fd) {
    struct stat info {};
    char last = '\n';
    return fstat(fd, &info) != 0 || info.st_size == 0 ||
           (pread(fd, &last, 1, info.st_size - 1) == 1 && last == '\n');
}

}  // namespace

std::string KnownHostName(const std::string& host, uint16_t port) {
    std::string bare = Lowered(host);
    if (bare.starts_with('[') && bare.ends_with(']')) {
        bare = bare.substr(1, bare.size() - 2);
    }
    return port == 22 ? bare : "[" + bare + "]:" + std::to_string(port);
}

std::string HostKeyType(const std::string& key) {
    if (key.size() < 4) {
        return {};
    }
    const uint32_t length = ReadUint32(key, 0);
    return length <= key.size() - 4 ? key.substr(4, length) : std::string();
}

std::string HostKeyTypeLabel(const std::string& key) {
    std::string type = HostKeyType(key);
    if (type == "ssh-ed25519") {
        return "ED25519";
    }
    if (type.starts_with("ecdsa-sha2-")) {
        return "ECDSA";
    }
    if (type == "ssh-rsa") {
        return "RSA";
    }
    if (type == "ssh-dss") {
        return "DSA";
    }
    return type;
}

std::string HostKeyFingerprint(const std::string& key) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(key.data(), key.size(), digest, &length, EVP_sha256(), nullptr) != 1) {
        return {};
    }
    std::string encoded = Base64(std::string(reinterpret_cast<const char*>(digest), length));
    encoded.erase(std::find(encoded.begin(), encoded.end(), '='), encoded.end());
    return "SHA256:" + encoded;
}

// As OpenSSH decides: a revoked key is refused; the key on any line of the server is known;
// another key where the server has lines, whatever its type, means the key has changed.
HostKeyVerdict CheckHostKey(const std::string& knownHosts, const std::string& name,
                            const std::string& key) {
    HostKeyVerdict verdict;
    bool known = false;
    for (const Entry& entry : EntriesNaming(knownHosts, name)) {
        if (entry.marker == Marker::Revoked && entry.key == key) {
            return {HostKeyStatus::Revoked, entry.line};
        }
        if (entry.marker != Marker::None) {
            continue;
        }
        if (entry.key == key) {
            known = true;
        } else if (verdict.status == HostKeyStatus::Unknown) {
            verdict = {HostKeyStatus::Changed, entry.line};
        }
    }
    return known ? HostKeyVerdict{HostKeyStatus::Known, 0} : verdict;
}

std::vector<std::string> KnownKeys(const std::string& knownHosts, const std::string& name) {
    std::vector<std::string> keys;
    const std::vector<Entry> entries = EntriesNaming(knownHosts, name);
    for (const char* type : kPreferredTypes) {
        for (const Entry& entry : entries) {
            if (entry.marker == Marker::None && HostKeyType(entry.key) == type) {
                keys.push_back(entry.key);
            }
        }
    }
    return keys;
}

std::string KnownHostLine(const std::string& name, const std::string& key) {
    return name + " " + HostKeyType(key) + " " + Base64(key) + "\n";
}

std::string UserKnownHostsPath() {
    return HomeFolder() + "/.ssh/known_hosts";
}

std::string ReadKnownHosts(const std::string& path) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file || file.tellg() > kMaxKnownHostsBytes) {
        return {};
    }
    file.seekg(0);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool AddKnownHost(const std::string& path, const std::string& name, const std::string& key) {
    // Probes of one pass may meet the same new server side by side: one line for all.
    static std::mutex adding;
    const std::lock_guard<std::mutex> lock(adding);
    if (CheckHostKey(ReadKnownHosts(path), name, key).status == HostKeyStatus::Known) {
        return true;
    }
    const size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0) {
        mkdir(path.substr(0, slash).c_str(), 0700);
    }
    CFileDescriptor file(open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0600));
    if (!file.IsOpen()) {
        return false;
    }
    std::string line = EndsWithLineEnd(file.Get()) ? "" : "\n";
    line.append(KnownHostLine(name, key));
    return WriteAll(file.Get(), line.data(), line.size());
}
