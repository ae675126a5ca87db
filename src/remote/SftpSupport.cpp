#include "remote/SftpSupport.h"

#include <pwd.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "remote/TransferText.h"
#include "remote/UrlCanonicaliser.h"

namespace {

std::string LocalLoginName() {
    passwd entry{};
    passwd* user = nullptr;
    char buffer[4096];
    getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &user);
    return user && user->pw_name ? user->pw_name : "";
}

// The user's own key, as ssh looks for it; one with a passphrase serves through the agent.
std::string UserKeyFile() {
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
        return {};
    }
    for (const char* name : {"id_ed25519", "id_ecdsa", "id_rsa"}) {
        std::string path = std::string(home) + "/.ssh/" + name;
        if (access(path.c_str(), R_OK) == 0) {
            return path;
        }
    }
    return {};
}

long AuthenticationMethods(CURL* easy, const SftpLogin& login) {
    if (!login.password.empty()) {
        curl_easy_setopt(easy, CURLOPT_PASSWORD, login.password.c_str());
        // Servers that check passwords through PAM ask for them as keyboard-interactive.
        return CURLSSH_AUTH_PASSWORD | CURLSSH_AUTH_KEYBOARD;
    }
    long methods = CURLSSH_AUTH_NONE;
    if (const char* agent = std::getenv("SSH_AUTH_SOCK"); agent && *agent) {
        methods |= CURLSSH_AUTH_AGENT;
    }
    // Set in every case: without a key file libcurl would look for one in the current folder.
    const std::string key = UserKeyFile();
    if (!key.empty()) {
        curl_easy_setopt(easy, CURLOPT_SSH_PRIVATE_KEYFILE, key.c_str());
        methods |= CURLSSH_AUTH_PUBLICKEY;
    }
    return methods;
}

}  // namespace

std::string SftpUser(const std::string& addressUser, const std::string& ftpUser) {
    if (!addressUser.empty()) {
        return addressUser;
    }
    if (!ftpUser.empty() && ftpUser != "anonymous") {
        return ftpUser;
    }
    return LocalLoginName();
}

std::string SftpUrl(const SftpLogin& login, const std::string& object) {
    return "sftp://" + HostForUrl(login.host) + ":" + std::to_string(login.port) +
           EncodeUrlPath(object.starts_with('/') ? object : "/" + object);
}

void CSshHostCheck::Configure(CURL* easy, const std::string& host, uint16_t port, bool acceptNew) {
    m_strName = KnownHostName(host, port);
    m_strKnownHosts = UserKnownHostsPath();
    m_bAcceptNew = acceptNew;
    curl_easy_setopt(easy, CURLOPT_SSH_HOSTKEYFUNCTION, &CSshHostCheck::OnHostKey);
    curl_easy_setopt(easy, CURLOPT_SSH_HOSTKEYDATA, this);
    AskForKnownType(easy);
}

// The server shows the key of the type the client asks for first. libssh2 asks for ECDSA
// first, where OpenSSH asks for a type already known for the server: with a known ED25519
// key alone, the server would show its ECDSA key and look changed. libcurl asks for the type
// of the first line of its known_hosts file naming the server, so it is given a file of one
// line, in memory, with the most wanted type known.
void CSshHostCheck::AskForKnownType(CURL* easy) {
    const std::string knownHosts = ReadKnownHosts(m_strKnownHosts);
    const std::vector<std::string> keys = KnownKeys(knownHosts, m_strName);
    if (keys.empty()) {
        return;
    }
    m_wantedType.Reset(memfd_create("known_hosts", MFD_CLOEXEC));
    const std::string line = KnownHostLine(m_strName, keys.front());
    if (m_wantedType.IsOpen() && WriteAll(m_wantedType.Get(), line.data(), line.size())) {
        const std::string path = "/proc/self/fd/" + std::to_string(m_wantedType.Get());
        curl_easy_setopt(easy, CURLOPT_SSH_KNOWNHOSTS, path.c_str());
    }
}

std::optional<SshHostRefusal> CSshHostCheck::Refused(CURLcode code) const {
    return code == CURLE_PEER_FAILED_VERIFICATION ? m_refusal : std::nullopt;
}

// Each new connection is checked; a connection kept by libcurl was checked when it was made.
int CSshHostCheck::OnHostKey(void* self, int, const char* key, size_t length) {
    auto& check = *static_cast<CSshHostCheck*>(self);
    const std::string shown(key, length);
    const HostKeyVerdict verdict =
        CheckHostKey(ReadKnownHosts(check.m_strKnownHosts), check.m_strName, shown);
    check.m_refusal.reset();
    if (verdict.status == HostKeyStatus::Known ||
        (verdict.status == HostKeyStatus::Unknown && check.m_bAcceptNew &&
         AddKnownHost(check.m_strKnownHosts, check.m_strName, shown))) {
        return CURLKHMATCH_OK;
    }
    check.m_refusal =
        SshHostRefusal{verdict.status, check.m_strName, shown, check.m_strKnownHosts, verdict.line};
    return CURLKHMATCH_MISMATCH;
}

void ConfigureSftpHandle(CURL* easy, const SftpLogin& login, CSshHostCheck& hostCheck,
                         bool acceptNewHostKey) {
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "sftp");
    curl_easy_setopt(easy, CURLOPT_USERNAME, login.user.c_str());
    curl_easy_setopt(easy, CURLOPT_SSH_AUTH_TYPES, AuthenticationMethods(easy, login));
    hostCheck.Configure(easy, login.host, login.port, acceptNewHostKey);
}

std::string FingerprintLine(const std::string& key) {
    return FormatKeyText("IDS_SSH_FINGERPRINT", HostKeyTypeLabel(key), HostKeyFingerprint(key));
}

RemoteMessage DescribeRefusedHost(const SshHostRefusal& refusal) {
    const std::string fingerprint = FingerprintLine(refusal.key);
    switch (refusal.status) {
        case HostKeyStatus::Changed:
            return {RemoteBoxKind::Warning, "IDS_SSH_KEYCHANGED",
                    FormatKeyText("IDS_SSH_KEYCHANGED", refusal.name) + "\n" + fingerprint + "\n" +
                        FormatKeyText("IDS_SSH_KNOWNLINE", refusal.line, refusal.knownHosts),
                    CURLE_PEER_FAILED_VERIFICATION};
        case HostKeyStatus::Revoked:
            return {RemoteBoxKind::Warning, "IDS_SSH_KEYREVOKED",
                    FormatKeyText("IDS_SSH_KEYREVOKED", refusal.name) + "\n" + fingerprint,
                    CURLE_PEER_FAILED_VERIFICATION};
        case HostKeyStatus::Known:
        case HostKeyStatus::Unknown:
            break;
    }
    return {RemoteBoxKind::SftpConnection, "IDS_SSH_UNKNOWNHOST",
            FormatKeyText("IDS_SSH_UNKNOWNHOST", refusal.name) + "\n" + fingerprint,
            CURLE_PEER_FAILED_VERIFICATION};
}
