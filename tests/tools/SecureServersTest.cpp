#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "PackageServers.h"
#include "RecordingMessageBoxes.h"
#include "TempDir.h"
#include "TlsCertificates.h"
#include "ToolRun.h"
#include "core/Database.h"
#include "core/KelElem.h"

using testing::EndsWith;
using testing::HasSubstr;
using testing::Not;
using testing::StartsWith;
using Cert = CTlsCertificates::Kind;

namespace {

constexpr int64_t kSummerTime = 1013336167;  // 10/02/2002 10:16:07 GMT
// What `mvntool probe` prints for that time (the tests run in Paris time).
constexpr const char* kSummerLine = "time: 1013336167 10/02/2002 11:16:07\n";

// `mvntool probe`, `get` and `check` against nginx with TLS and proftpd with mod_tls, with
// certificates the test made; the test CA is trusted through SSL_CERT_FILE.
class SecureServersTest : public testing::Test {
protected:
    void SetUp() override {
        for (const PackageServerKind kind :
             {PackageServerKind::Proftpd, PackageServerKind::Nginx}) {
            if (!CPackageServer::Installed(kind)) {
                GTEST_SKIP() << "proftpd-basic and nginx are not both installed";
            }
        }
        setenv("SSL_CERT_FILE", certificates.CaFile().c_str(), 1);
        const std::string summer = m_served.File("summer.txt");
        WriteWholeFile(summer, "summer\n");
        const timespec times[2] = {{kSummerTime, 0}, {kSummerTime, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, summer.c_str(), times, 0), 0);
    }
    void TearDown() override { unsetenv("SSL_CERT_FILE"); }

    PackageServerTls Tls(Cert kind, bool implicit = false) const {
        return {certificates.Certificate(kind), certificates.Key(kind), implicit};
    }
    std::string Root() const { return m_served.Path().string(); }

    ToolRun Probe(const std::string& address, const std::vector<std::string>& options = {}) {
        std::vector<std::string> arguments{"probe", address,      "--user",
                                           "user",  "--password", "secret"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        return Run(arguments);
    }
    ToolRun Get(const std::string& address, const std::string& target,
                const std::vector<std::string>& options = {}) {
        std::vector<std::string> arguments{"get",  address,      target,  "--user",
                                           "user", "--password", "secret"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        return Run(arguments);
    }
    ToolRun Run(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), MVNTOOL_PATH);
        return RunCaptured(std::move(arguments), m_local);
    }

    // Expects the refusal of an untrusted server: its reason, its key as a box line and
    // as the last line of standard error.
    static void ExpectRefused(const ToolRun& run, const std::string& reason,
                              const std::string& pin) {
        EXPECT_EQ(run.exitCode, 1) << run.err;
        EXPECT_THAT(run.err, HasSubstr(reason + "\nServer key: " + pin + "\n")) << run.err;
        EXPECT_THAT(run.err, EndsWith("\nkey: " + pin + "\n")) << run.err;
    }

    const CTlsCertificates& certificates = CTlsCertificates::Get();
    TempDir m_served;
    TempDir m_local;
};

TEST_F(SecureServersTest, HttpsGivesExactTimesAndRedirectsGoBothWays) {
    const CPackageServer nginx(PackageServerKind::Nginx, Root(), Tls(Cert::Good));
    const std::string target = m_local.File("summer.txt");
    for (const bool ipv6 : {false, true}) {
        const std::string addresses[] = {nginx.SecureUrl("/files/summer.txt", ipv6),
                                         nginx.SecureUrl("/redirect/summer.txt", ipv6),
                                         nginx.SecureUrl("/tohttp/summer.txt", ipv6),
                                         nginx.Url("/tohttps/summer.txt", ipv6)};
        for (const std::string& address : addresses) {
            const ToolRun probe = Probe(address);
            EXPECT_EQ(probe.exitCode, 0) << address << probe.err;
            EXPECT_THAT(probe.out, StartsWith(address.starts_with("https") ? "kind: HTTPS\n"
                                                                           : "kind: HTTP\n"));
            EXPECT_THAT(probe.out, EndsWith(kSummerLine)) << address;
            WriteWholeFile(target, "old");
            const ToolRun get = Get(address, target);
            EXPECT_EQ(get.exitCode, 0) << address << get.out << get.err;
            EXPECT_EQ(ReadWholeFile(target), "summer\n") << address;
        }
    }
    EXPECT_THAT(Probe(nginx.SecureUrl("/files/summer.txt")).out,
                StartsWith("kind: HTTPS\nserver: 127.0.0.1\nobject: /files/summer.txt\nport: "));
}

TEST_F(SecureServersTest, HttpsErrorAnswersAreFailuresThatLeaveTheOriginal) {
    const CPackageServer nginx(PackageServerKind::Nginx, Root(), Tls(Cert::Good));
    const std::string target = m_local.File("target.txt");
    WriteWholeFile(target, "old");
    for (const auto& [path, status] :
         {std::pair<std::string, int>{"/files/missing.txt", 404}, {"/error/500", 500}}) {
        const std::string box = "HTTP server answered with status " + std::to_string(status);
        const ToolRun probe = Probe(nginx.SecureUrl(path));
        EXPECT_EQ(probe.exitCode, 1) << path;
        EXPECT_EQ(probe.err, "ERROR: " + box + "\n") << path;
        const ToolRun get = Get(nginx.SecureUrl(path), target);
        EXPECT_EQ(get.exitCode, 1) << path;
        EXPECT_EQ(get.out, box + "\n") << path;
        EXPECT_EQ(ReadWholeFile(target), "old") << path;
    }
}

// Each fault of a certificate is refused with its own reason and the server's key; nothing
// is written. The test CA is unknown to the system's store, so without SSL_CERT_FILE its
// certificates come from an unknown authority.
TEST_F(SecureServersTest, UntrustedCertificatesAreRefusedWithTheirReasonAndKey) {
    const struct {
        Cert kind;
        bool caKnown;
        std::string reason;
    } cases[] = {
        {Cert::SelfSigned, true, "its certificate is self-signed."},
        {Cert::Expired, true, "its certificate has expired or is not yet valid."},
        {Cert::OtherHost, true, "its certificate is not valid for this host name."},
        {Cert::Good, false, "its certificate comes from an unknown authority."},
    };
    const std::string target = m_local.File("target.txt");
    const std::string fresh = m_local.File("fresh.txt");
    for (const auto& test : cases) {
        const CPackageServer nginx(PackageServerKind::Nginx, Root(), Tls(test.kind));
        if (!test.caKnown) {
            unsetenv("SSL_CERT_FILE");
        }
        const std::string address = nginx.SecureUrl("/files/summer.txt");
        const std::string server = address.substr(8, address.find("/files") - 8);
        const std::string reason = "The server " + server + " is not trusted: " + test.reason;
        const std::string pin = certificates.Pin(test.kind);

        ExpectRefused(Probe(address), "ERROR: " + reason, pin);
        WriteWholeFile(target, "old");
        ExpectRefused(Get(address, target), reason, pin);
        EXPECT_EQ(ReadWholeFile(target), "old") << test.reason;
        ExpectRefused(Get(nginx.Url("/tohttps/summer.txt"), fresh), reason, pin);
        EXPECT_FALSE(std::filesystem::exists(fresh)) << test.reason;
        setenv("SSL_CERT_FILE", certificates.CaFile().c_str(), 1);
    }
}

TEST_F(SecureServersTest, RefusalIsToldInFrench) {
    const CPackageServer nginx(PackageServerKind::Nginx, Root(), Tls(Cert::SelfSigned));
    const std::string address = nginx.SecureUrl("/files/summer.txt");
    setenv("LANG", "fr_FR.UTF-8", 1);
    const ToolRun probe = Probe(address);
    setenv("LANG", "C", 1);
    const std::string server = address.substr(8, address.find("/files") - 8);
    const std::string pin = certificates.Pin(Cert::SelfSigned);
    EXPECT_EQ(probe.exitCode, 1);
    EXPECT_EQ(probe.err,
              "ERREUR: Le serveur " + server +
                  " n'est pas digne de confiance : son certificat est auto-sign\xC3\xA9."
                  "\nCl\xC3\xA9 du serveur : " +
                  pin + "\nSSL certificate problem: self-signed certificate\nkey: " + pin + "\n");
}

// A trusted key stands for the chain and the name; any other key is refused as changed.
TEST_F(SecureServersTest, TrustedKeyIsAcceptedAndAnotherKeyRefused) {
    const CPackageServer nginx(PackageServerKind::Nginx, Root(), Tls(Cert::SelfSigned));
    const std::string address = nginx.SecureUrl("/files/summer.txt");
    const std::string pin = certificates.Pin(Cert::SelfSigned);
    const ToolRun probe = Probe(address, {"--trust-key", pin});
    EXPECT_EQ(probe.exitCode, 0) << probe.err;
    EXPECT_THAT(probe.out, EndsWith(kSummerLine));
    const std::string target = m_local.File("target.txt");
    const ToolRun get = Get(address, target, {"--trust-key", pin});
    EXPECT_EQ(get.exitCode, 0) << get.err;
    EXPECT_EQ(ReadWholeFile(target), "summer\n");

    const std::string server = address.substr(8, address.find("/files") - 8);
    const std::string changed =
        "The server " + server + " is refused: its key has changed since it was trusted.";
    const std::vector<std::string> other{"--trust-key", certificates.Pin(Cert::Expired)};
    ExpectRefused(Probe(address, other), "ERROR: " + changed, pin);
    WriteWholeFile(target, "old");
    ExpectRefused(Get(address, target, other), changed, pin);
    EXPECT_EQ(ReadWholeFile(target), "old");

    EXPECT_EQ(Probe(address, {"--trust-key", "abc"}).exitCode, 2);
}

// ftpes:// and ftps:// over both addresses of the machine, also through the listing when
// MDTM and SIZE are refused.
TEST_F(SecureServersTest, FtpesAndFtpsProbeAndDownload) {
    const std::string target = m_local.File("summer.txt");
    for (const bool implicit : {false, true}) {
        for (const std::vector<std::string>& denied : {std::vector<std::string>{}, {"MDTM SIZE"}}) {
            const CPackageServer proftpd(PackageServerKind::Proftpd, Root(),
                                         Tls(Cert::Good, implicit), denied);
            for (const bool ipv6 : {false, true}) {
                const std::string address = proftpd.SecureUrl("/summer.txt", ipv6);
                const ToolRun probe = Probe(address);
                EXPECT_EQ(probe.exitCode, 0) << address << probe.err;
                EXPECT_THAT(probe.out, StartsWith(implicit ? "kind: FTPS\n" : "kind: FTPES\n"));
                EXPECT_THAT(probe.out, EndsWith(kSummerLine)) << address;
            }
            WriteWholeFile(target, "old");
            const ToolRun get = Get(proftpd.SecureUrl("/summer.txt"), target);
            EXPECT_EQ(get.exitCode, 0) << get.out << get.err;
            EXPECT_EQ(ReadWholeFile(target), "summer\n");
        }
    }
}

// A server that wants TLS tells a plain login to use ftpes://; one that cannot do TLS is
// refused for ftpes://, never used in plain; an untrusted one is named with its key.
TEST_F(SecureServersTest, FtpTlsRefusalsSayWhatToDo) {
    const CPackageServer tlsOnly(PackageServerKind::Proftpd, Root(), Tls(Cert::Good));
    const std::string wantsTls =
        "The server 127.0.0.1 requires an encrypted connection: write the address with "
        "ftpes:// instead of ftp://.";
    const ToolRun plain = Probe(tlsOnly.Url("/summer.txt"));
    EXPECT_EQ(plain.exitCode, 1);
    EXPECT_THAT(plain.err, EndsWith("\n" + wantsTls + "\n")) << plain.err;
    const std::string target = m_local.File("target.txt");
    WriteWholeFile(target, "old");
    const ToolRun plainGet = Get(tlsOnly.Url("/summer.txt"), target);
    EXPECT_EQ(plainGet.exitCode, 1);
    EXPECT_THAT(plainGet.out, EndsWith("\n" + wantsTls + "\n")) << plainGet.out;

    const CPackageServer noTls(PackageServerKind::Proftpd, Root());
    const std::string ftpes = "ftpes" + noTls.Url("/summer.txt").substr(3);
    const std::string cannot =
        "The server 127.0.0.1 cannot encrypt the connection (AUTH TLS refused): the login was "
        "not sent.";
    const ToolRun refused = Probe(ftpes);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_THAT(refused.err, EndsWith("\n" + cannot + "\n")) << refused.err;
    const ToolRun refusedGet = Get(ftpes, target);
    EXPECT_EQ(refusedGet.exitCode, 1);
    EXPECT_THAT(refusedGet.out, EndsWith("\n" + cannot + "\n")) << refusedGet.out;
    EXPECT_EQ(ReadWholeFile(target), "old");

    // libcurl cannot end the TLS handshake of an active data connection: a server refusing
    // passive mode is a failure over TLS, never a download that waits for ever.
    const CPackageServer noPassive(PackageServerKind::Proftpd, Root(), Tls(Cert::Good),
                                   {"PASV EPSV"});
    const ToolRun active = Get(noPassive.SecureUrl("/summer.txt"), target);
    EXPECT_EQ(active.exitCode, 1) << active.out;
    EXPECT_EQ(ReadWholeFile(target), "old");

    const CPackageServer selfSigned(PackageServerKind::Proftpd, Root(),
                                    Tls(Cert::SelfSigned, true));
    const std::string address = selfSigned.SecureUrl("/summer.txt");
    const std::string pin = certificates.Pin(Cert::SelfSigned);
    ExpectRefused(Probe(address), "its certificate is self-signed.", pin);
    ExpectRefused(Get(address, target), "its certificate is self-signed.", pin);
    EXPECT_EQ(ReadWholeFile(target), "old");
    const ToolRun trusted = Get(address, target, {"--trust-key", pin});
    EXPECT_EQ(trusted.exitCode, 0) << trusted.out << trusted.err;
    EXPECT_EQ(ReadWholeFile(target), "summer\n");
}

// `mvntool check` holds an untrusted server to be a failed check, and trusts the keys of the
// INI beside its list.
TEST_F(SecureServersTest, CheckUsesTheTrustedKeysBesideTheList) {
    const CPackageServer nginx(PackageServerKind::Nginx, Root(), Tls(Cert::SelfSigned));
    const CPackageServer proftpd(PackageServerKind::Proftpd, Root(), Tls(Cert::SelfSigned));
    ElemList list;
    for (const std::string& copy :
         {nginx.SecureUrl("/files/summer.txt"), proftpd.SecureUrl("/summer.txt")}) {
        auto elem = std::make_unique<CKelElem>();
        elem->m_strDescription = copy;
        elem->m_nCheckMode = CHECK_FILE_TIME;
        elem->m_nWhen = WHEN_ON_DEMAND;
        elem->m_nAction = ACTION_COPY_NEW;
        elem->m_strCopy = copy;
        elem->m_strOriginal = m_local.File("original " + std::to_string(list.size()));
        elem->m_strFtpUser = "user";
        elem->m_strFtpPassword = "secret";
        WriteWholeFile(elem->m_strOriginal, "old");
        const timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
        utimensat(AT_FDCWD, elem->m_strOriginal.c_str(), times, 0);
        list.push_back(std::move(elem));
    }
    const std::string database = m_local.File("watch.MVN");
    RecordingMessageBoxes boxes;
    bool modified = true;
    ASSERT_TRUE(SaveDatabase(database, modified, list, boxes));
    const std::string settings = "[Config]\nInternetProbeHost=\n";
    WriteWholeFile(m_local.File("watch.INI"), settings);

    const ToolRun untrusted = Run({"check", "--all", "--apply", database});
    EXPECT_EQ(untrusted.exitCode, 3);
    const std::vector<std::string> states = CheckStates(untrusted.out);
    ASSERT_EQ(states.size(), 2u) << untrusted.out;
    for (const std::string& state : states) {
        EXPECT_THAT(state, StartsWith("Check failed: The server 127.0.0.1:"));
        EXPECT_THAT(state, EndsWith(" is not trusted: its certificate is self-signed."));
    }
    EXPECT_THAT(untrusted.err, HasSubstr("its certificate is self-signed.")) << untrusted.err;
    EXPECT_THAT(untrusted.err, Not(HasSubstr("Completed")));
    for (const auto& elem : list) {
        EXPECT_EQ(ReadWholeFile(elem->m_strOriginal), "old");
    }

    // Written by hand, as the README shows it.
    const auto serverOf = [](const std::string& address) {
        const size_t host = address.find("://") + 3;
        return address.substr(host, address.find('/', host) - host);
    };
    const std::string pin = certificates.Pin(Cert::SelfSigned);
    WriteWholeFile(m_local.File("watch.INI"), settings + "[TrustedKeys]\n" +
                                                  serverOf(list[0]->m_strCopy) + "=" + pin + "\n" +
                                                  serverOf(list[1]->m_strCopy) + "=" + pin + "\n");
    const ToolRun trusted = Run({"check", "--all", "--apply", database});
    EXPECT_EQ(CheckStates(trusted.out), std::vector<std::string>(2, "New version found !"))
        << trusted.out << trusted.err;
    for (const auto& elem : list) {
        EXPECT_EQ(ReadWholeFile(elem->m_strOriginal), "summer\n");
    }
}

}  // namespace
