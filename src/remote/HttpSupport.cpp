#include "remote/HttpSupport.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "remote/Address.h"
#include "remote/Trimmed.h"
#include "remote/UrlCanonicaliser.h"

namespace {

std::string Lowered(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

// Blanks around a header's value, and the line end that libcurl leaves on each line.
bool IsHeaderBlank(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The URL as libcurl will send it (blanks in a query encoded), or libcurl's refusal.
CURLUcode NormaliseUrl(const std::string& canonical, std::string& url) {
    CURLU* handle = curl_url();
    if (!handle) {
        return CURLUE_OUT_OF_MEMORY;
    }
    CURLUcode code = curl_url_set(handle, CURLUPART_URL, canonical.c_str(), CURLU_ALLOW_SPACE);
    // A user name and password in a web address play no part: nothing is sent for them.
    if (code == CURLUE_OK) {
        code = curl_url_set(handle, CURLUPART_USER, nullptr, 0);
    }
    if (code == CURLUE_OK) {
        code = curl_url_set(handle, CURLUPART_PASSWORD, nullptr, 0);
    }
    char* text = nullptr;
    if (code == CURLUE_OK) {
        code = curl_url_get(handle, CURLUPART_URL, &text, 0);
    }
    if (code == CURLUE_OK) {
        // The query keeps its blanks up to here; a request line cannot carry them.
        url.clear();
        for (const char* c = text; *c != '\0'; ++c) {
            url += *c == ' ' ? std::string_view("%20") : std::string_view(c, 1);
        }
        curl_free(text);
    }
    curl_url_cleanup(handle);
    return code;
}

}  // namespace

bool CHttpHeaders::Feed(const char* data, size_t size) {
    const std::string line(data, size);
    if (line.starts_with("HTTP/")) {
        StartBlock(line);
        return false;
    }
    const size_t colon = line.find(':');
    if (colon != std::string::npos) {
        Take(Lowered(line.substr(0, colon)),
             std::string(Trimmed(std::string_view(line).substr(colon + 1), IsHeaderBlank)));
        return false;
    }
    if (!Trimmed(line, IsHeaderBlank).empty() || m_nStatus / 100 == 1) {
        return false;
    }
    m_bRedirect = m_nStatus / 100 == 3 && m_bLocation;
    if (m_bRedirect && m_nRedirects < kMaxHttpRedirects) {
        ++m_nRedirects;
        return false;
    }
    return true;
}

void CHttpHeaders::StartBlock(const std::string& statusLine) {
    const size_t blank = statusLine.find(' ');
    m_nStatus =
        blank == std::string::npos ? 0 : std::strtol(statusLine.c_str() + blank, nullptr, 10);
    m_nContentLength = -1;
    m_nLastModified = -1;
    m_bChunked = false;
    m_bLocation = false;
}

void CHttpHeaders::Take(const std::string& name, const std::string& value) {
    if (name == "content-length") {
        char* end = nullptr;
        const long long length = std::strtoll(value.c_str(), &end, 10);
        m_nContentLength = (end != value.c_str() && *end == '\0' && length >= 0) ? length : -1;
    } else if (name == "transfer-encoding") {
        m_bChunked = Lowered(value).find("chunked") != std::string::npos;
    } else if (name == "last-modified") {
        m_nLastModified = curl_getdate(value.c_str(), nullptr);
    } else if (name == "location") {
        m_bLocation = !value.empty();
    }
}

HttpSplit SplitHttpAddress(const std::string& address, HttpTarget& target, int& code) {
    const ParsedAddress parsed = ClassifyAddress(address);
    const std::string canonical = CanonicaliseUrl(address);
    if (!IsWebKind(parsed.kind)) {
        const std::string scheme = Lowered(canonical.substr(0, 6));
        if (!scheme.starts_with("http:") && scheme != "https:") {
            return HttpSplit::NotHttp;
        }
        code = CURLUE_MALFORMED_INPUT;
        return HttpSplit::Malformed;
    }
    std::string url;
    if (const CURLUcode refusal = NormaliseUrl(canonical, url); refusal != CURLUE_OK) {
        code = refusal;
        return HttpSplit::Malformed;
    }
    target = {parsed.server, ServerKey(parsed.server, parsed.port), parsed.object, url};
    return HttpSplit::Ok;
}

namespace {

// The address without its "user:password@", which would otherwise reach every server.
std::string WithoutCredentials(const std::string& address) {
    const size_t scheme = address.find("://");
    if (scheme == std::string::npos) {
        return address;
    }
    const size_t host = scheme + 3;
    const size_t hostEnd = std::min(address.find_first_of("/?#", host), address.size());
    const size_t at = address.rfind('@', hostEnd - 1);
    if (at == std::string::npos || at < host) {
        return address;
    }
    return address.substr(0, host) + address.substr(at + 1);
}

}  // namespace

void ConfigureHttpHandle(CURL* easy, const std::string& address, const HttpTarget& target,
                         CTlsTrust& tls, const TrustedKeys& trusted) {
    std::string agent = WithoutCredentials(address);
    for (char& c : agent) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    curl_easy_setopt(easy, CURLOPT_URL, target.url.c_str());
    curl_easy_setopt(easy, CURLOPT_USERAGENT, agent.c_str());
    curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxHttpRedirects);
    // Some servers compress although nobody asked: decode what they send, so the local file
    // holds the resource's own bytes, but still ask for nothing (the empty header is removed).
    static curl_slist noAcceptEncoding{const_cast<char*>("Accept-Encoding:"), nullptr};
    curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, &noAcceptEncoding);
    tls.Configure(easy, trusted, target.server);
}

CURLcode SetHttpTimeouts(CURL* easy, uint32_t timeoutMs, CReceiveWatch& watch) {
    const CURLcode code =
        curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeoutMs));
    return code == CURLE_OK ? watch.Attach(easy, std::chrono::milliseconds(timeoutMs)) : code;
}

RemoteMessage RedirectFailure(long status, CURLcode code) {
    if (code == CURLE_UNSUPPORTED_PROTOCOL) {
        return MakeRemoteMessage(RemoteBoxKind::Error, "IDS_ERR_HTTPSTATUS",
                                 static_cast<int>(status));
    }
    RemoteMessage message =
        MakeRemoteMessage(RemoteBoxKind::Error, "IDS_ERR_SENDREQUESTHTTP", code);
    message.text += "\n";
    message.text += curl_easy_strerror(code);
    return message;
}

std::optional<RemoteMessage> UntrustedFailure(CURL* easy, CURLcode code, const CTlsTrust& tls,
                                              const char* errorBuffer,
                                              std::optional<UntrustedServer>& untrusted) {
    untrusted = tls.Untrusted(easy, code);
    if (!untrusted) {
        return std::nullopt;
    }
    return RemoteMessage{RemoteBoxKind::Error, "", DescribeUntrusted(*untrusted, code, errorBuffer),
                         static_cast<int>(code)};
}
