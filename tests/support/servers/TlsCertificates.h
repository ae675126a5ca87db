#pragma once

#include <string>

#include "TempDir.h"

// The certificates of tls_certificates.py, made once for the test program by the openssl
// command: a test CA and, each with a key of its own, the certificates below.
class CTlsCertificates {
public:
    enum class Kind { Good, SelfSigned, Expired, OtherHost };

    static const CTlsCertificates& Get();

    // The test CA's certificate, for SSL_CERT_FILE.
    std::string CaFile() const { return m_dir.File("ca.crt"); }
    std::string Certificate(Kind kind) const { return m_dir.File(Name(kind) + ".crt"); }
    std::string Key(Kind kind) const { return m_dir.File(Name(kind) + ".key"); }
    // Its key's pin as openssl computes it: "sha256//BASE64".
    std::string Pin(Kind kind) const;

private:
    CTlsCertificates();
    static std::string Name(Kind kind);

    TempDir m_dir;
};
