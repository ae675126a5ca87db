#include "remote/TlsTrust.h"

#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509_vfy.h>

#include <cctype>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "remote/TransferText.h"

namespace {

// Where each TLS context of a handle finds its CTlsTrust.
int TrustIndex() {
    static const int index = SSL_CTX_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
    return index;
}

// libcurl's form of a key pin.
std::string PinOf(X509* certificate) {
    unsigned char* der = nullptr;
    const int length = i2d_X509_PUBKEY(X509_get_X509_PUBKEY(certificate), &der);
    if (length <= 0) {
        return {};
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int digestLength = 0;
    const bool hashed = EVP_Digest(der, static_cast<size_t>(length), digest, &digestLength,
                                   EVP_sha256(), nullptr) == 1;
    OPENSSL_free(der);
    if (!hashed) {
        return {};
    }
    unsigned char base64[4 * ((EVP_MAX_MD_SIZE + 2) / 3) + 1];
    const int encoded = EVP_EncodeBlock(base64, digest, static_cast<int>(digestLength));
    return "sha256//" +
           std::string(reinterpret_cast<const char*>(base64), static_cast<size_t>(encoded));
}

TlsRefusal RefusalOf(int verifyError, CURLcode code) {
    if (code == CURLE_SSL_PINNEDPUBKEYNOTMATCH) {
        return TlsRefusal::KeyChanged;
    }
    switch (verifyError) {
        case X509_V_OK:
            // The chain held: libcurl refused the host name.
            return TlsRefusal::WrongHost;
        case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
            return TlsRefusal::SelfSigned;
        case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
        case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
            return TlsRefusal::UnknownIssuer;
        case X509_V_ERR_CERT_HAS_EXPIRED:
        case X509_V_ERR_CERT_NOT_YET_VALID:
            return TlsRefusal::Expired;
        default:
            return TlsRefusal::Untrusted;
    }
}

const char* ReasonKey(TlsRefusal reason) {
    switch (reason) {
        case TlsRefusal::SelfSigned:
            return "IDS_TLS_SELFSIGNED";
        case TlsRefusal::UnknownIssuer:
            return "IDS_TLS_UNKNOWNISSUER";
        case TlsRefusal::Expired:
            return "IDS_TLS_EXPIRED";
        case TlsRefusal::WrongHost:
            return "IDS_TLS_WRONGHOST";
        case TlsRefusal::KeyChanged:
            return "IDS_TLS_KEYCHANGED";
        case TlsRefusal::Untrusted:
            break;
    }
    return "IDS_TLS_UNTRUSTED";
}

// The server of the address libcurl last connected to (a redirect's target included).
std::string EffectiveServer(CURL* easy) {
    const char* url = nullptr;
    if (curl_easy_getinfo(easy, CURLINFO_EFFECTIVE_URL, &url) != CURLE_OK || !url) {
        return {};
    }
    std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> parsed(curl_url(), &curl_url_cleanup);
    char* host = nullptr;
    char* port = nullptr;
    std::string server;
    uint16_t number = 0;
    if (parsed && curl_url_set(parsed.get(), CURLUPART_URL, url, 0) == CURLUE_OK &&
        curl_url_get(parsed.get(), CURLUPART_HOST, &host, 0) == CURLUE_OK &&
        curl_url_get(parsed.get(), CURLUPART_PORT, &port, CURLU_DEFAULT_PORT) == CURLUE_OK &&
        std::from_chars(port, port + std::strlen(port), number).ec == std::errc()) {
        server = ServerKey(host, number);
    }
    curl_free(host);
    curl_free(port);
    return server;
}

}  // namespace

std::string ServerKey(const std::string& host, uint16_t port) {
    std::string key;
    for (char c : host) {
        key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return key + ":" + std::to_string(port);
}

void CTlsTrust::Configure(CURL* easy, const TrustedKeys& trusted, const std::string& server) {
    // What OpenSSL's own tools honour; libcurl leaves it to its callers.
    if (const char* file = std::getenv("SSL_CERT_FILE"); file && *file) {
        curl_easy_setopt(easy, CURLOPT_CAINFO, file);
    }
    if (const char* folder = std::getenv("SSL_CERT_DIR"); folder && *folder) {
        curl_easy_setopt(easy, CURLOPT_CAPATH, folder);
    }
    const auto pinned = trusted.find(server);
    if (pinned != trusted.end()) {
        // The user vouched for this key: it, and only it, stands for the chain and the name.
        curl_easy_setopt(easy, CURLOPT_PINNEDPUBLICKEY, pinned->second.c_str());
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 0L);
    } else {
        curl_easy_setopt(easy, CURLOPT_PINNEDPUBLICKEY, nullptr);
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    }
    curl_easy_setopt(easy, CURLOPT_SSL_CTX_FUNCTION, &CTlsTrust::OnContext);
    curl_easy_setopt(easy, CURLOPT_SSL_CTX_DATA, this);
}

std::optional<UntrustedServer> CTlsTrust::Untrusted(CURL* easy, CURLcode code) const {
    if (code != CURLE_PEER_FAILED_VERIFICATION && code != CURLE_SSL_PINNEDPUBKEYNOTMATCH) {
        return std::nullopt;
    }
    return UntrustedServer{RefusalOf(m_nFirstError, code), EffectiveServer(easy), m_strPeerKey};
}

// Each connection gets a context of its own: what it shows replaces what the last one showed.
// The verification mode stays libcurl's; only its outcome is recorded.
CURLcode CTlsTrust::OnContext(CURL*, void* sslContext, void* self) {
    auto* context = static_cast<SSL_CTX*>(sslContext);
    auto& trust = *static_cast<CTlsTrust*>(self);
    trust.m_strPeerKey.clear();
    trust.m_nFirstError = X509_V_OK;
    SSL_CTX_set_ex_data(context, TrustIndex(), &trust);
    SSL_CTX_set_verify(context, SSL_CTX_get_verify_mode(context), &CTlsTrust::OnVerify);
    return CURLE_OK;
}

int CTlsTrust::OnVerify(int preverified, X509_STORE_CTX* store) {
    const auto* ssl =
        static_cast<SSL*>(X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
    auto* trust =
        ssl ? static_cast<CTlsTrust*>(SSL_CTX_get_ex_data(SSL_get_SSL_CTX(ssl), TrustIndex()))
            : nullptr;
    if (trust) {
        if (X509* leaf = X509_STORE_CTX_get0_cert(store); leaf && trust->m_strPeerKey.empty()) {
            trust->m_strPeerKey = PinOf(leaf);
        }
        if (!preverified && trust->m_nFirstError == X509_V_OK) {
            trust->m_nFirstError = X509_STORE_CTX_get_error(store);
        }
    }
    return preverified;
}

std::string DescribeUntrusted(const UntrustedServer& untrusted, CURLcode code,
                              const char* errorBuffer) {
    std::string text = FormatKeyText(ReasonKey(untrusted.reason), untrusted.server);
    if (!untrusted.key.empty()) {
        text.append("\n").append(FormatKeyText("IDS_TLS_SERVERKEY", untrusted.key));
    }
    return text.append("\n").append(errorBuffer && *errorBuffer ? errorBuffer
                                                                : curl_easy_strerror(code));
}
