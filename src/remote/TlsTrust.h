#pragma once

#include <curl/curl.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "remote/RemoteMessage.h"

// The keys the user trusts for servers whose certificate the system's store does not vouch
// for: "host:port" (ServerKey) to the key's pin, "sha256//" and the base64 of the SHA-256 of
// its SubjectPublicKeyInfo, as libcurl pins it.
using TrustedKeys = std::map<std::string, std::string>;

// "host:port" with the host in lower case; an IPv6 host keeps its brackets.
std::string ServerKey(const std::string& host, uint16_t port);

// Why a TLS server was refused.
enum class TlsRefusal {
    SelfSigned,
    UnknownIssuer,
    Expired,     // or not yet valid
    WrongHost,   // not valid for the host name of the address
    KeyChanged,  // not the key the user trusted for this server
    Untrusted,   // any other fault of its certificate
};

// A server that could not be trusted, and the key it showed.
struct UntrustedServer {
    TlsRefusal reason = TlsRefusal::Untrusted;
    std::string server;  // ServerKey of the connection refused
    std::string key;     // its pin, empty when the server showed no certificate
};

// The trust of one easy handle's TLS connections. Certificate and host name are checked
// against the system's store, or against SSL_CERT_FILE / SSL_CERT_DIR when they are set;
// nothing turns the check off. A server the user trusts is held to exactly the key trusted
// for it instead. Records what each handshake showed, to say why a server was refused.
class CTlsTrust {
public:
    CTlsTrust() = default;
    CTlsTrust(const CTlsTrust&) = delete;
    CTlsTrust& operator=(const CTlsTrust&) = delete;

    // Sets up `easy`, whose connections go to `server` (a ServerKey), and which must not
    // outlive this object.
    void Configure(CURL* easy, const TrustedKeys& trusted, const std::string& server);

    // The refused server of a transfer that ended with `code`, or nothing when the failure
    // was not one of trust.
    std::optional<UntrustedServer> Untrusted(CURL* easy, CURLcode code) const;

private:
    static CURLcode OnContext(CURL* easy, void* sslContext, void* self);
    static int OnVerify(int preverified, struct x509_store_ctx_st* store);

    std::string m_strPeerKey;
    int m_nFirstError = 0;  // OpenSSL's first verification error of the last handshake
};

// The box text of an untrusted server in the user's language: the reason, the server's key,
// then libcurl's own description (`errorBuffer`, else the code's).
std::string DescribeUntrusted(const UntrustedServer& untrusted, CURLcode code,
                              const char* errorBuffer);
