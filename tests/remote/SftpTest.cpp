#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>

#include "RecordingMessageBoxes.h"
#include "RecordingTransferWindow.h"
#include "RemoteFixture.h"
#include "SshServer.h"
#include "TempDir.h"
#include "i18n/MessageCatalogue.h"
#include "i18n/MessageTables.h"
#include "remote/Address.h"
#include "remote/Probe.h"
#include "remote/TransferJob.h"

using testing::EndsWith;
using testing::HasSubstr;
using Kind = RecordingTransferWindow::Kind;

namespace {

constexpr int64_t kServedTime = 1013336167;  // 10/02/2002 10:16:07 GMT
const std::string kAccented = "a name with blanks \xC3\xA9t\xC3\xA9.txt";

// One sshd per test, the client's HOME a folder of the test, no SSH agent.
class SftpTest : public testing::Test {
protected:
    void SetUp() override {
        if (!CSshTestServer::Available()) {
            GTEST_SKIP() << "sshd is not installed, or this process may not run it (not root)";
        }
        RecordingMessageBoxes ignored;
        RegisterShippedLanguages(TheCatalogue(), ignored);
        TheCatalogue().SetCurrentLcid(kLcidEnglish);
        if (const char* home = std::getenv("HOME")) {
            m_strOldHome = home;
        }
        setenv("HOME", m_home.Path().c_str(), 1);
        unsetenv("SSH_AUTH_SOCK");
        std::filesystem::create_directory(m_home.File(".ssh"));
    }
    void TearDown() override { setenv("HOME", m_strOldHome.c_str(), 1); }

    std::string Serve(const std::string& name, const std::string& bytes) {
        std::string path = m_served.File(name);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        WriteWholeFile(path, bytes);
        const timespec times[2] = {{kServedTime, 0}, {kServedTime, 0}};
        utimensat(AT_FDCWD, path.c_str(), times, 0);
        return path;
    }
    void Start(const std::string& authorizedKey = "") {
        m_server = std::make_unique<CSshTestServer>(m_served.Path().string(), authorizedKey);
    }
    std::string KnownHostsPath() const { return m_home.File(".ssh/known_hosts"); }
    std::string ServerName() const { return "[127.0.0.1]:" + std::to_string(m_server->Port()); }
    // The server's line in known_hosts, as ssh writes it.
    std::string KnownLine() const {
        return ServerName() + " " + PublicKeyText(m_server->HostKeyFile());
    }
    void TrustServer() { WriteWholeFile(KnownHostsPath(), KnownLine() + "\n"); }

    SftpProbeRequest Request(const std::string& address, const std::string& password = "secret",
                             bool acceptNew = false) const {
        const ParsedAddress parsed = ClassifyAddress(address);
        return {parsed.object,
                {parsed.server, parsed.port, SftpUser(parsed.user, ""), password},
                acceptNew};
    }
    // Downloads as the copy action does; the result message.
    std::string Download(const std::string& object, const std::string& target,
                         RecordingTransferWindow& window, uint32_t timeoutMs = 0,
                         uint16_t port = 0) {
        CTransferJob job(window);
        RunSftpTransfer(job, {"127.0.0.1", "watcher", "secret", object, target}, timeoutMs,
                        {port ? port : static_cast<uint16_t>(m_server->Port())});
        for (const RemoteMessage& box : job.Outcome().boxes) {
            ShowRemoteMessage(box, m_boxes, BoxOwner::None);
        }
        return job.Outcome().result.text;
    }

    TempDir m_served;
    TempDir m_home;
    TempDir m_local;
    std::unique_ptr<CSshTestServer> m_server;
    RecordingMessageBoxes m_boxes;
    std::string m_strOldHome;
};

// A password, or the user's own key when the password is empty, over both addresses of the
// machine, with absolute and home-relative paths and a name with blanks and accents.
TEST_F(SftpTest, ProbesAndDownloadsWithPasswordOrKey) {
    Serve("summer.txt", "summer\n");
    Serve(kAccented, "accents\n");
    MakeSshKey(m_home.File(".ssh/id_ed25519"));
    Start(m_home.File(".ssh/id_ed25519.pub"));
    TrustServer();
    const std::string root = m_served.Path().string();
    const struct {
        std::string path;
        std::string password;
        std::string bytes;
    } cases[] = {
        {root + "/summer.txt", "secret", "summer\n"},
        {"/~/summer.txt", "", "summer\n"},
        {"/~/" + kAccented, "secret", "accents\n"},
        {root + "/" + kAccented, "", "accents\n"},
    };
    for (const auto& test : cases) {
        const ProbeResult probe = ProbeSftpFile(Request(m_server->Url(test.path), test.password));
        EXPECT_EQ(probe.status, ProbeStatus::Found)
            << test.path << ": " << (probe.message ? probe.message->text : "");
        EXPECT_EQ(probe.time, kServedTime) << test.path;
        EXPECT_EQ(probe.path, test.path);

        const std::string target = m_local.File("copy.txt");
        WriteWholeFile(target, "old");
        RecordingTransferWindow window;
        CTransferJob job(window);
        const ParsedAddress parsed = ClassifyAddress(m_server->Url(test.path));
        RunSftpTransfer(job, {"127.0.0.1", "watcher", test.password, parsed.object, target}, 0,
                        {parsed.port});
        EXPECT_EQ(job.Outcome().result.text, "Internet Download Completed Successfully")
            << test.path;
        EXPECT_EQ(ReadWholeFile(target), test.bytes);
    }
    // The same through ::1, which known_hosts names apart.
    WriteWholeFile(KnownHostsPath(), "[::1]:" + std::to_string(m_server->Port()) + " " +
                                         PublicKeyText(m_server->HostKeyFile()) + "\n");
    const ProbeResult ipv6 = ProbeSftpFile(Request(m_server->Url("/~/summer.txt", true)));
    EXPECT_EQ(ipv6.time, kServedTime) << (ipv6.message ? ipv6.message->text : "");
}

// Missing is absence, without a box; what the user may not read is a failure, never absence.
TEST_F(SftpTest, MissingIsAbsenceAndUnreadableIsAFailure) {
    Serve("denied.txt", "secret");
    chmod(m_served.File("denied.txt").c_str(), 0);
    Serve("closed/inside.txt", "secret");
    chmod(m_served.File("closed").c_str(), 0700);
    Start();
    TrustServer();
    const struct {
        const char* path;
        ProbeStatus status;
        const char* box;
    } cases[] = {
        {"/~/missing.txt", ProbeStatus::NotFound, nullptr},
        {"/~/nofolder/missing.txt", ProbeStatus::NotFound, nullptr},
        {"/~/closed/", ProbeStatus::NotFound, nullptr},
        {"/~/denied.txt", ProbeStatus::Failed, "Permission denied"},
        {"/~/closed/inside.txt", ProbeStatus::Failed, "Permission denied"},
    };
    for (const auto& test : cases) {
        const ProbeResult result = ProbeSftpFile(Request(m_server->Url(test.path)));
        EXPECT_EQ(result.status, test.status) << test.path;
        ASSERT_EQ(result.message.has_value(), test.box != nullptr) << test.path;
        if (test.box) {
            EXPECT_THAT(result.message->text, HasSubstr(test.box));
            EXPECT_EQ(result.message->kind, RemoteBoxKind::SftpConnection);
        }
    }
    const ProbeResult wrong = ProbeSftpFile(Request(m_server->Url("/~/denied.txt"), "wrong"));
    EXPECT_EQ(wrong.status, ProbeStatus::Failed);
    EXPECT_EQ(wrong.message->code, CURLE_LOGIN_DENIED);

    const std::string target = m_local.File("target.txt");
    WriteWholeFile(target, "old");
    RecordingTransferWindow missing;
    EXPECT_EQ(Download("/~/missing.txt", target, missing),
              "File NOT found on Server: /~/missing.txt");
    RecordingTransferWindow denied;
    EXPECT_THAT(Download("/~/denied.txt", target, denied),
                HasSubstr("Internet Exception Error 9\n"));
    EXPECT_EQ(ReadWholeFile(target), "old");
    EXPECT_EQ(LeftoverDownloads(m_local.Path()), 0);
}

// 256 MB arrive byte for byte, with the progress of an FTP download.
TEST_F(SftpTest, LargeFileArrivesWhole) {
    constexpr size_t kSize = 256u << 20;
    const std::string bytes = Pattern(kSize);
    Serve("large.bin", bytes);
    Start();
    TrustServer();
    const std::string target = m_local.File("large.bin");
    WriteWholeFile(target, "old");
    RecordingTransferWindow window;
    EXPECT_EQ(Download("/~/large.bin", target, window), "Internet Download Completed Successfully");
    EXPECT_TRUE(ReadWholeFile(target) == bytes);
    const std::vector<std::string> lines = window.Texts(Kind::Status);
    EXPECT_EQ(lines.front(), "Connecting to 127.0.0.1");
    EXPECT_EQ(lines[lines.size() - 2], "268435456 of 268435456  bytes read");
    EXPECT_EQ(lines.back(), "Closing connection to 127.0.0.1");
    EXPECT_EQ(window.Percentages().back(), "100%");
}

// An unknown server is refused with its key's fingerprint as ssh-keygen shows it, and
// known_hosts stays as it was; accepted as new, its key is appended after every byte that was
// there; a hashed line made by ssh-keygen names it too.
TEST_F(SftpTest, UnknownServerIsRefusedOrAppendedAsNew) {
    Serve("summer.txt", "summer\n");
    Start();
    const std::string before = "# my servers\n|1|garbage|x ssh-ed25519 AAAA\nother ssh-rsa AAAA";
    WriteWholeFile(KnownHostsPath(), before);
    const std::string fingerprint = SshKeygenFingerprint(m_server->HostKeyFile());

    const ProbeResult refused = ProbeSftpFile(Request(m_server->Url("/~/summer.txt")));
    EXPECT_EQ(refused.status, ProbeStatus::Failed);
    ASSERT_TRUE(refused.refusedHost);
    EXPECT_EQ(refused.refusedHost->status, HostKeyStatus::Unknown);
    EXPECT_EQ(refused.message->text, "The authenticity of host " + ServerName() +
                                         " can't be established: its key is not in your "
                                         "known_hosts file.\nED25519 key fingerprint is " +
                                         fingerprint + ".");
    EXPECT_EQ(ReadWholeFile(KnownHostsPath()), before);
    const std::string target = m_local.File("target.txt");
    RecordingTransferWindow window;
    EXPECT_THAT(Download("/~/summer.txt", target, window),
                HasSubstr("Internet Exception Error 60\nThe authenticity of host"));
    EXPECT_FALSE(std::filesystem::exists(target));

    const ProbeResult accepted =
        ProbeSftpFile(Request(m_server->Url("/~/summer.txt"), "secret", true));
    EXPECT_EQ(accepted.time, kServedTime);
    EXPECT_EQ(ReadWholeFile(KnownHostsPath()), before + "\n" + KnownLine() + "\n");
    EXPECT_EQ(ProbeSftpFile(Request(m_server->Url("/~/summer.txt"))).time, kServedTime);

    std::filesystem::remove(KnownHostsPath());
    EXPECT_EQ(ProbeSftpFile(Request(m_server->Url("/~/summer.txt"), "secret", true)).time,
              kServedTime);
    EXPECT_EQ(ReadWholeFile(KnownHostsPath()), KnownLine() + "\n");
    HashKnownHosts(KnownHostsPath());
    EXPECT_THAT(ReadWholeFile(KnownHostsPath()), testing::StartsWith("|1|"));
    EXPECT_EQ(ProbeSftpFile(Request(m_server->Url("/~/summer.txt"))).time, kServedTime);
}

// Another key known for the server, or its own key revoked: a warning, a refusal even with
// accept-new, and known_hosts untouched.
TEST_F(SftpTest, ChangedOrRevokedKeyIsRefusedWithAWarning) {
    Serve("summer.txt", "summer\n");
    Start();
    MakeSshKey(m_home.File("other"));
    const std::string changed =
        "# before\n" + ServerName() + " " + PublicKeyText(m_home.File("other.pub")) + "\n";
    const std::string revoked = "@revoked * " + PublicKeyText(m_server->HostKeyFile()) + "\n";
    const struct {
        std::string knownHosts;
        HostKeyStatus status;
        std::string text;
    } cases[] = {
        {changed, HostKeyStatus::Changed,
         "WARNING: the host key of " + ServerName() + " has changed!"},
        {revoked, HostKeyStatus::Revoked, "The host key of " + ServerName() + " is revoked"},
    };
    for (const auto& test : cases) {
        WriteWholeFile(KnownHostsPath(), test.knownHosts);
        const ProbeResult result =
            ProbeSftpFile(Request(m_server->Url("/~/summer.txt"), "secret", true));
        EXPECT_EQ(result.status, ProbeStatus::Failed);
        ASSERT_TRUE(result.refusedHost);
        EXPECT_EQ(result.refusedHost->status, test.status);
        EXPECT_EQ(result.message->kind, RemoteBoxKind::Warning);
        EXPECT_THAT(result.message->text, testing::StartsWith(test.text));
        EXPECT_EQ(ReadWholeFile(KnownHostsPath()), test.knownHosts);
    }
    WriteWholeFile(KnownHostsPath(), changed);
    const ProbeResult result = ProbeSftpFile(Request(m_server->Url("/~/summer.txt")));
    EXPECT_THAT(result.message->text,
                EndsWith("\nThe key known for this host is on line 2 of " + KnownHostsPath() +
                         "; the program never replaces it."));
}

// A server that greets and then says nothing ends the download at its bound, or at once on
// Cancel; the original is untouched either way.
TEST_F(SftpTest, StalledServerIsBoundedAndCancelled) {
    Start();
    const auto stalled = static_cast<uint16_t>(m_server->StalledPort());
    const std::string target = m_local.File("target.txt");
    WriteWholeFile(target, "old");
    RecordingTransferWindow bounded;
    EXPECT_THAT(Download("/~/any.txt", target, bounded, 1000, stalled),
                testing::StartsWith("Internet Exception Error 28"));

    RecordingTransferWindow cancelled;
    bool endedSoon = false;
    std::thread user([&] {
        cancelled.WaitForStatus("Connecting to 127.0.0.1");
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        cancelled.PressCancel();
        endedSoon = cancelled.WaitForFinish(std::chrono::seconds(5));
    });
    EXPECT_EQ(Download("/~/any.txt", target, cancelled, 0, stalled),
              "User Cancelled Download Operation");
    user.join();
    EXPECT_TRUE(endedSoon);
    EXPECT_EQ(ReadWholeFile(target), "old");
    EXPECT_EQ(LeftoverDownloads(m_local.Path()), 0);
}

// A Cancel while the bytes arrive leaves the original as it was, and no temporary file.
TEST_F(SftpTest, CancelWhileReceivingLeavesTheOriginal) {
    Serve("large.bin", Pattern(32u << 20));
    Start();
    TrustServer();
    const std::string target = m_local.File("target.bin");
    WriteWholeFile(target, "old");
    RecordingTransferWindow window;
    window.CancelAt(
        [](const RecordingTransferWindow::Update& update) { return update.kind == Kind::Done; });
    EXPECT_EQ(Download("/~/large.bin", target, window), "User Cancelled Download Operation");
    EXPECT_EQ(ReadWholeFile(target), "old");
    EXPECT_EQ(LeftoverDownloads(m_local.Path()), 0);
}

}  // namespace
