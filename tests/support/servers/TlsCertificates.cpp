#include "TlsCertificates.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "ToolRun.h"

CTlsCertificates::CTlsCertificates() {
    const char* python = std::getenv("MORVANE_TEST_PYTHON");
    const ToolRun made = RunCaptured(
        {python && *python ? python : "/usr/bin/python3",
         std::string(MORVANE_TEST_SERVERS_DIR) + "/tls_certificates.py", m_dir.Path().string()},
        m_dir);
    if (made.exitCode != 0) {
        throw std::runtime_error("the test certificates were not made: " + made.err);
    }
}

const CTlsCertificates& CTlsCertificates::Get() {
    static const CTlsCertificates certificates;
    return certificates;
}

std::string CTlsCertificates::Pin(Kind kind) const {
    std::ifstream file(m_dir.File(Name(kind) + ".pin"));
    std::string pin;
    std::getline(file, pin);
    return pin;
}

std::string CTlsCertificates::Name(Kind kind) {
    switch (kind) {
        case Kind::Good:
            return "good";
        case Kind::SelfSigned:
            return "self";
        case Kind::Expired:
            return "expired";
        case Kind::OtherHost:
            break;
    }
    return "otherhost";
}
