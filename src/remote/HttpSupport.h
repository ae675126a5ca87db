#pragma once

#include <curl/curl.h>

#include <cstdint>
#include <optional>
#include <string>

#include "remote/ReceiveWatch.h"
#include "remote/RemoteMessage.h"
#include "remote/TlsTrust.h"

// Redirects followed before an answer counts as the final one.
inline constexpr long kMaxHttpRedirects = 10;

// Follows the header lines of an HTTP answer as libcurl hands them over. Interim answers
// (1xx) and followed redirects bring blocks of their own; what is kept is the last block.
class CHttpHeaders {
public:
    // One header line. True when it ends the headers of the final answer.
    bool Feed(const char* data, size_t size);

    long Status() const { return m_nStatus; }
    bool IsSuccess() const { return m_nStatus >= 200 && m_nStatus < 300; }
    // A redirect that was to be followed (libcurl refused its target when it ends here).
    bool IsRedirect() const { return m_bRedirect; }
    // -1 when the answer tells no length (none given, or sent in chunks).
    int64_t ContentLength() const { return m_bChunked ? -1 : m_nContentLength; }
    // Last-Modified in seconds since 1970, read as the GMT time it is; -1 when absent.
    int64_t LastModified() const { return m_nLastModified; }

private:
    void StartBlock(const std::string& statusLine);
    void Take(const std::string& name, const std::string& value);

    long m_nStatus = 0;
    int64_t m_nContentLength = -1;
    int64_t m_nLastModified = -1;
    bool m_bChunked = false;
    bool m_bLocation = false;
    bool m_bRedirect = false;
    long m_nRedirects = 0;
};

enum class HttpSplit { Ok, Malformed, NotHttp };

// An address split for the HTTP operations.
struct HttpTarget {
    std::string host;    // to show
    std::string server;  // the ServerKey its trust is kept under
    std::string path;    // the path part of the address, as the probe reports it
    std::string url;     // what is requested
};

// Malformed comes with libcurl's URL error code in `code`.
HttpSplit SplitHttpAddress(const std::string& address, HttpTarget& target, int& code);

// What every HTTP request shares: a GET with the address itself as user agent (line
// breaks taken out, so the address cannot add headers), redirects to http and https only,
// and the trust of TLS servers, a redirect's target included, through `tls`.
void ConfigureHttpHandle(CURL* easy, const std::string& address, const HttpTarget& target,
                         CTlsTrust& tls, const TrustedKeys& trusted);

// Bounds the connection and every wait for data to `timeoutMs`, the latter through `watch`.
CURLcode SetHttpTimeouts(CURL* easy, uint32_t timeoutMs, CReceiveWatch& watch);

// The failure of a request that ended on a redirect: one to an address that is not a web
// address keeps the redirect's status; any other (a TLS handshake, a certificate) is that
// failure, with libcurl's description on a line of its own.
RemoteMessage RedirectFailure(long status, CURLcode code);

// The box of a request refused because its server could not be trusted, or nothing when
// `code` is another failure. `errorBuffer` holds libcurl's own description.
std::optional<RemoteMessage> UntrustedFailure(CURL* easy, CURLcode code, const CTlsTrust& tls,
                                              const char* errorBuffer,
                                              std::optional<UntrustedServer>& untrusted);
