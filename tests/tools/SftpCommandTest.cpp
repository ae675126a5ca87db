#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "RecordingMessageBoxes.h"
#include "SshServer.h"
#include "TempDir.h"
#include "ToolRun.h"
#include "core/Database.h"
#include "core/KelElem.h"

using testing::EndsWith;
using testing::HasSubstr;
using testing::StartsWith;

namespace {

constexpr int64_t kSummerTime = 1013336167;  // 10/02/2002 10:16:07 GMT

// `mvntool probe`, `get` and `check` against sshd; the tool's HOME is a folder of the test.
class SftpCommandTest : public testing::Test {
protected:
    void SetUp() override {
        if (!CSshTestServer::Available()) {
            GTEST_SKIP() << "sshd is not installed, or this process may not run it (not root)";
        }
        if (const char* home = std::getenv("HOME")) {
            m_strOldHome = home;
        }
        setenv("HOME", m_home.Path().c_str(), 1);
        unsetenv("SSH_AUTH_SOCK");
        std::filesystem::create_directory(m_home.File(".ssh"));
        const std::string summer = m_served.File("summer.txt");
        WriteWholeFile(summer, "summer\n");
        const timespec times[2] = {{kSummerTime, 0}, {kSummerTime, 0}};
        utimensat(AT_FDCWD, summer.c_str(), times, 0);
        m_server = std::make_unique<CSshTestServer>(m_served.Path().string());
    }
    void TearDown() override { setenv("HOME", m_strOldHome.c_str(), 1); }

    ToolRun Run(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), MVNTOOL_PATH);
        return RunCaptured(std::move(arguments), m_local);
    }
    std::string KnownHosts() const { return ReadWholeFile(m_home.File(".ssh/known_hosts")); }
    std::string Address() const { return m_server->Url("/~/summer.txt"); }
    std::string Server() const { return "[127.0.0.1]:" + std::to_string(m_server->Port()); }

    TempDir m_served;
    TempDir m_home;
    TempDir m_local;
    std::unique_ptr<CSshTestServer> m_server;
    std::string m_strOldHome;
};

// Unknown: exit 1, nothing written, the box and the fingerprint line; accepted as new: the
// line appended, the probe and the download made; then known without the option.
TEST_F(SftpCommandTest, UnknownHostIsRefusedUnlessAcceptedAsNew) {
    const std::string fingerprint = SshKeygenFingerprint(m_server->HostKeyFile());
    const std::string target = m_local.File("summer.txt");
    const ToolRun refused = Run({"probe", Address(), "--password", "secret"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err, "SFTP connection error: The authenticity of host " + Server() +
                               " can't be established: its key is not in your known_hosts "
                               "file.\nED25519 key fingerprint is " +
                               fingerprint + ".\nhost key: " + fingerprint + "\n");
    const ToolRun get = Run({"get", Address(), target, "--password", "secret"});
    EXPECT_EQ(get.exitCode, 1);
    EXPECT_THAT(get.err, EndsWith("\nhost key: " + fingerprint + "\n"));
    EXPECT_FALSE(std::filesystem::exists(target));
    EXPECT_FALSE(std::filesystem::exists(m_home.File(".ssh/known_hosts")));

    const ToolRun accepted =
        Run({"probe", Address(), "--password", "secret", "--accept-new-host-key"});
    EXPECT_EQ(accepted.exitCode, 0) << accepted.err;
    EXPECT_EQ(accepted.out, "kind: SFTP\nserver: 127.0.0.1\nobject: /~/summer.txt\nport: " +
                                std::to_string(m_server->Port()) +
                                "\ntime: 1013336167 10/02/2002 11:16:07\n");
    EXPECT_EQ(KnownHosts(), Server() + " " + PublicKeyText(m_server->HostKeyFile()) + "\n");
    const ToolRun known = Run({"get", Address(), target, "--password", "secret"});
    EXPECT_EQ(known.exitCode, 0) << known.out << known.err;
    EXPECT_EQ(ReadWholeFile(target), "summer\n");
}

// A changed key is refused even with --accept-new-host-key, in French too.
TEST_F(SftpCommandTest, ChangedKeyIsRefusedEvenWhenNewKeysAreAccepted) {
    MakeSshKey(m_home.File("other"));
    const std::string known = Server() + " " + PublicKeyText(m_home.File("other.pub")) + "\n";
    WriteWholeFile(m_home.File(".ssh/known_hosts"), known);
    setenv("LANG", "fr_FR.UTF-8", 1);
    const ToolRun refused =
        Run({"probe", Address(), "--password", "secret", "--accept-new-host-key"});
    setenv("LANG", "C", 1);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_THAT(refused.err, StartsWith("Attention: ATTENTION : la cl\xC3\xA9 d'h\xC3\xB4te de " +
                                        Server() + " a chang\xC3\xA9 !"));
    EXPECT_THAT(refused.err, HasSubstr("\nLa cl\xC3\xA9 connue pour cet h\xC3\xB4te est \xC3\xA0 "
                                       "la ligne 1 de " +
                                       m_home.File(".ssh/known_hosts")));
    EXPECT_EQ(KnownHosts(), known);
}

// `mvntool check` takes the elements' FTP login; an unknown server leaves its element "Not
// checked." unless new keys are accepted.
TEST_F(SftpCommandTest, CheckAcceptsNewHostKeysOnlyWhenAsked) {
    ElemList list;
    auto elem = std::make_unique<CKelElem>();
    elem->m_strDescription = "sftp";
    elem->m_nCheckMode = CHECK_ABSOLUTE_TIME;
    elem->m_timeReference = 0;
    elem->m_nWhen = WHEN_ON_DEMAND;
    elem->m_strCopy = m_server->Url("/~/summer.txt");
    elem->m_strFtpUser = "anonymous";
    elem->m_strFtpPassword = "secret";
    list.push_back(std::move(elem));
    const std::string database = m_local.File("watch.MVN");
    RecordingMessageBoxes boxes;
    bool modified = true;
    ASSERT_TRUE(SaveDatabase(database, modified, list, boxes));
    WriteWholeFile(m_local.File("watch.INI"), "[Config]\nInternetProbeHost=\n");

    const ToolRun refused = Run({"check", "--all", database});
    EXPECT_EQ(refused.exitCode, 3);
    EXPECT_EQ(CheckStates(refused.out),
              std::vector<std::string>{"Check failed: The authenticity of host " + Server() +
                                       " can't be established: its key is not in your "
                                       "known_hosts file."});
    EXPECT_THAT(refused.err, HasSubstr("can't be established"));
    const ToolRun accepted = Run({"check", "--all", "--accept-new-host-key", database});
    EXPECT_EQ(accepted.exitCode, 0);
    EXPECT_EQ(CheckStates(accepted.out), std::vector<std::string>{"New version found !"})
        << accepted.err;
    EXPECT_THAT(KnownHosts(), StartsWith(Server() + " ssh-ed25519 "));
}

}  // namespace
