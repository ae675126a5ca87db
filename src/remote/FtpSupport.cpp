#include "remote/FtpSupport.h"

#include <cctype>
#include <cstring>

#include "remote/CurlTransfer.h"
#include "remote/TransferText.h"
#include "remote/UrlCanonicaliser.h"

namespace {

constexpr std::chrono::milliseconds kFtpConnectBound = std::chrono::seconds(60);
constexpr std::chrono::milliseconds kFtpReplyBound = std::chrono::seconds(30);
constexpr std::chrono::milliseconds kFtpSilenceBound = std::chrono::seconds(30);

}  // namespace

std::string FtpServerUrl(const FtpServer& server) {
    const char* scheme = server.security == FtpSecurity::Implicit ? "ftps://" : "ftp://";
    return scheme + HostForUrl(server.host) + ":" + std::to_string(server.port) + "/";
}

std::string FtpObjectUrl(const FtpServer& server, const std::string& object) {
    // "%2F" after the separating slash makes the path absolute.
    const std::string path =
        object.starts_with('/') ? "%2F" + EncodeUrlPath(object.substr(1)) : EncodeUrlPath(object);
    return FtpServerUrl(server) + path;
}

std::string FtpServerPath(const std::string& object) {
    return DecodeUrlEscapes(object);
}

bool IsFtpNotFound(CURLcode code) {
    return code == CURLE_REMOTE_FILE_NOT_FOUND || code == CURLE_REMOTE_ACCESS_DENIED;
}

void CFtpReply::Attach(CURL* easy) {
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &CFtpReply::OnReply);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
}

std::string CFtpReply::Refusal() const {
    const bool refused = !m_strLast.empty() && (m_strLast[0] == '4' || m_strLast[0] == '5');
    return refused ? m_strLast : std::string();
}

size_t CFtpReply::OnReply(char* data, size_t size, size_t count, void* self) {
    std::string line(data, size * count);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.pop_back();
    }
    static_cast<CFtpReply*>(self)->m_strLast = line;
    return size * count;
}

bool IsSafeFtpLogin(const std::string& user, const std::string& password) {
    const auto safe = [](const std::string& text) {
        return text.find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
    };
    return safe(user) && safe(password);
}

void ConfigureFtpHandle(CURL* easy, const FtpServer& server, const std::string& user,
                        const std::string& password, CTlsTrust& tls, const TrustedKeys& trusted) {
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "ftp,ftps");
    if (server.security != FtpSecurity::None) {
        curl_easy_setopt(easy, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
        tls.Configure(easy, trusted, ServerKey(server.host, server.port));
    }
    // An empty user leaves libcurl's anonymous login.
    if (!user.empty()) {
        curl_easy_setopt(easy, CURLOPT_USERNAME, user.c_str());
        curl_easy_setopt(easy, CURLOPT_PASSWORD, password.c_str());
    }
    curl_easy_setopt(easy, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_NOCWD));
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &DiscardCurlData);
}

namespace {

std::string Lowered(const std::string& text) {
    std::string lowered;
    for (char c : text) {
        lowered += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lowered;
}

// A refusal of a plain login that asks for TLS, as vsftpd ("530 Non-anonymous sessions must
// use encryption") and proftpd ("550 SSL/TLS required on the control channel") word it.
bool DemandsTls(const std::string& refusal) {
    if (!refusal.starts_with("530") && !refusal.starts_with("534") && !refusal.starts_with("550")) {
        return false;
    }
    const std::string text = Lowered(refusal);
    return text.find("tls") != std::string::npos || text.find("ssl") != std::string::npos ||
           text.find("encrypt") != std::string::npos;
}

}  // namespace

std::string FtpSecurityAdvice(const FtpServer& server, CURLcode code, const std::string& refusal) {
    if (server.security == FtpSecurity::None && DemandsTls(refusal)) {
        return FormatKeyText("IDS_ERR_FTPWANTSTLS", server.host);
    }
    if (server.security == FtpSecurity::Explicit && code == CURLE_USE_SSL_FAILED) {
        return FormatKeyText("IDS_ERR_FTPNOTLS", server.host);
    }
    return {};
}

CURLcode BoundFtpWaits(CURL* easy, uint32_t timeoutMs, CReceiveWatch& watch) {
    using std::chrono::milliseconds;
    const milliseconds connect = timeoutMs ? milliseconds(timeoutMs) : kFtpConnectBound;
    const milliseconds reply = timeoutMs ? milliseconds(timeoutMs) : kFtpReplyBound;
    const milliseconds silence = timeoutMs ? milliseconds(timeoutMs) : kFtpSilenceBound;
    // The server's reply time-out counts whole seconds.
    const long replySeconds = static_cast<long>((reply.count() + 999) / 1000);
    CURLcode code =
        curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(connect.count()));
    if (code == CURLE_OK) {
        // The server's connection to an active-mode port is a connection too.
        code = curl_easy_setopt(easy, CURLOPT_ACCEPTTIMEOUT_MS, static_cast<long>(connect.count()));
    }
    if (code == CURLE_OK) {
        code = curl_easy_setopt(easy, CURLOPT_SERVER_RESPONSE_TIMEOUT, replySeconds);
    }
    return code == CURLE_OK ? watch.Attach(easy, silence) : code;
}
