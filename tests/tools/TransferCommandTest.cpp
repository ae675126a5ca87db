#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "TempDir.h"
#include "ToolRun.h"
#include "TestServers.h"

using testing::HasSubstr;

namespace {

constexpr int64_t kTenFebruary2002 = 1013336160;  // 10/02/2002 10:16:00 GMT

// `mvntool probe` and `mvntool get` run as a user runs them, against real servers.
class TransferCommandTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        root = std::make_unique<TempDir>();
        logs = std::make_unique<TempDir>();
        ftp = std::make_unique<CFtpTestServer>(root->Path().string());
        http = std::make_unique<CHttpTestServer>(root->Path().string(), logs->File("log"));
    }
    static void TearDownTestSuite() {
        http.reset();
        ftp.reset();
        logs.reset();
        root.reset();
    }

    static std::string Serve(const std::string& name, const std::string& bytes,
                             int64_t modified = -1) {
        std::string path = root->File(name);
        WriteWholeFile(path, bytes);
        if (modified >= 0) {
            const timespec times[2] = {{modified, 0}, {modified, 0}};
            utimensat(AT_FDCWD, path.c_str(), times, 0);
        }
        return path;
    }
    static std::string FtpUrl(const std::string& path) {
        return "ftp://127.0.0.1:" + std::to_string(ftp->Port()) + path;
    }

    // Starts mvntool with `arguments` (or a shell command line when `shell`).
    pid_t Start(std::vector<std::string> arguments, bool shell = false) {
        if (shell) {
            arguments = {"/bin/sh", "-c", arguments.front()};
        } else {
            arguments.insert(arguments.begin(), MVNTOOL_PATH);
        }
        return StartCaptured(std::move(arguments), local);
    }

    ToolRun Finish(pid_t pid) { return FinishCaptured(pid, local); }

    ToolRun Run(std::vector<std::string> arguments) { return Finish(Start(std::move(arguments))); }

    static std::unique_ptr<TempDir> root;
    static std::unique_ptr<TempDir> logs;
    static std::unique_ptr<CFtpTestServer> ftp;
    static std::unique_ptr<CHttpTestServer> http;
    TempDir local;
};

std::unique_ptr<TempDir> TransferCommandTest::root;
std::unique_ptr<TempDir> TransferCommandTest::logs;
std::unique_ptr<CFtpTestServer> TransferCommandTest::ftp;
std::unique_ptr<CHttpTestServer> TransferCommandTest::http;

TEST_F(TransferCommandTest, ProbePrintsTheAddressAndTheCopysTime) {
    Serve("my file.txt", "x", kTenFebruary2002);
    const std::string port = std::to_string(ftp->Port());
    const ToolRun ftpRun =
        Run({"probe", FtpUrl("/my file.txt"), "--user", "user", "--password", "secret"});
    EXPECT_EQ(ftpRun.exitCode, 0) << ftpRun.err;
    EXPECT_EQ(ftpRun.out, "kind: FTP\nserver: 127.0.0.1\nobject: /my%20file.txt\nport: " + port +
                              "\ntime: 1013336160 10/02/2002 11:16:00\n");

    // The password from the first line of a file, so it is not in the process list.
    const std::string passwordFile = logs->File("password");
    WriteWholeFile(passwordFile, "secret\nnot this line\n");
    const ToolRun fileRun =
        Run({"probe", FtpUrl("/my file.txt"), "--user", "user", "--password-file", passwordFile});
    EXPECT_EQ(fileRun.exitCode, 0) << fileRun.err;
    EXPECT_EQ(fileRun.out, ftpRun.out);
    const ToolRun missingRun =
        Run({"probe", FtpUrl("/my file.txt"), "--password-file", logs->File("missing")});
    EXPECT_EQ(missingRun.exitCode, 2);
    EXPECT_THAT(missingRun.err, HasSubstr("cannot read the password file"));

    const ToolRun httpRun = Run({"probe", http->Url("/files/my%20file.txt")});
    EXPECT_EQ(httpRun.exitCode, 0) << httpRun.err;
    EXPECT_EQ(httpRun.out, "kind: HTTP\nserver: 127.0.0.1\nobject: /files/my%20file.txt\nport: " +
                               std::to_string(http->Port()) +
                               "\ntime: 1013336160 10/02/2002 11:16:00\n");

    const ToolRun localRun = Run({"probe", root->File("my file.txt")});
    EXPECT_EQ(localRun.exitCode, 0) << localRun.err;
    EXPECT_THAT(localRun.out, HasSubstr("kind: local file\n"));
    EXPECT_THAT(localRun.out, HasSubstr("\ntime: 1013336160 10/02/2002 11:16:00\n"));
}

TEST_F(TransferCommandTest, FailedProbePrintsItsMessagesOnStandardError) {
    Serve("present.txt", "x");
    const struct {
        std::vector<std::string> arguments;
        std::string err;
    } cases[] = {
        {{"probe", http->Url("/status/404")}, "ERROR: HTTP server answered with status 404\n"},
        {{"probe", FtpUrl("/missing.txt")}, "File NOT found on Server: /missing.txt\n"},
        {{"probe", FtpUrl("/present.txt"), "--user", "user", "--password", "wrong"},
         "FTP connection error: "},
        {{"probe", "gopher://127.0.0.1/x"}, "gopher://127.0.0.1/x: neither probed nor copied\n"},
    };
    for (const auto& test : cases) {
        const ToolRun run = Run(test.arguments);
        EXPECT_EQ(run.exitCode, 1) << test.arguments[1];
        EXPECT_THAT(run.err, testing::StartsWith(test.err)) << test.arguments[1];
    }
}

TEST_F(TransferCommandTest, GetShowsProgressAndResult) {
    std::string bytes(8192, 'm');
    Serve("get.bin", bytes);
    const std::string target = local.File("get.bin");
    const ToolRun ftpRun = Run({"get", FtpUrl("/get.bin"), target});
    EXPECT_EQ(ftpRun.exitCode, 0);
    EXPECT_EQ(ftpRun.out, "Internet Download Completed Successfully\n");
    EXPECT_THAT(ftpRun.err, HasSubstr("Downloading get.bin\nConnecting to 127.0.0.1\n"));
    EXPECT_THAT(ftpRun.err, HasSubstr("\n4096 of 8192  bytes read\n50%\n"));
    EXPECT_THAT(ftpRun.err, HasSubstr("\nClosing connection to 127.0.0.1\n"));
    EXPECT_EQ(ReadWholeFile(target), bytes);

    const ToolRun httpRun = Run({"get", http->Url("/status/404"), target});
    EXPECT_EQ(httpRun.exitCode, 1);
    EXPECT_EQ(httpRun.out, "HTTP server answered with status 404\n");
    EXPECT_EQ(ReadWholeFile(target), bytes);
}

TEST_F(TransferCommandTest, InterruptCancelsAndFullDiskFails) {
    Serve("long.bin", std::string(1 << 20, 'l'));
    const std::string target = local.File("target.bin");
    WriteWholeFile(target, "old");

    const pid_t pid = Start({"get", http->Url("/slow/long.bin"), target});
    while (ReadWholeFile(local.File("stderr.txt")).find("bytes read") == std::string::npos) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid, SIGINT);
    const ToolRun cancelled = Finish(pid);
    EXPECT_EQ(cancelled.exitCode, 1);
    EXPECT_EQ(cancelled.out, "User Cancelled Download Operation\n");
    EXPECT_EQ(ReadWholeFile(target), "old");

    // The file-size limit makes every write past 4 blocks fail with EFBIG (27).
    const ToolRun full = Finish(Start({"trap '' XFSZ; ulimit -f 4; exec " MVNTOOL_PATH " get " +
                                       FtpUrl("/long.bin") + " " + target},
                                      true));
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_EQ(full.out, "File Error 27 " + target + "\n");
    EXPECT_EQ(ReadWholeFile(target), "old");
}

// Ctrl-C while the server never confirms the transfer ends it long before the 30 s bound.
TEST_F(TransferCommandTest, InterruptEndsTheWaitForTheServersLastReply) {
    Serve("unconfirmed-long.bin", std::string(1 << 16, 'u'));
    const std::string target = local.File("target.bin");
    WriteWholeFile(target, "old");

    const pid_t pid = Start({"get", FtpUrl("/unconfirmed-long.bin"), target});
    while (ReadWholeFile(local.File("stderr.txt")).find("65536 of 65536") == std::string::npos) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    // Lets the download reach its wait before the interrupt.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    kill(pid, SIGINT);
    const auto ended = [&] { return !ReadWholeFile(local.File("stdout.txt")).empty(); };
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (!ended() && std::chrono::steady_clock::now() < limit) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_TRUE(ended());
    const ToolRun cancelled = Finish(pid);
    EXPECT_EQ(cancelled.exitCode, 1);
    EXPECT_EQ(cancelled.out, "User Cancelled Download Operation\n");
    EXPECT_EQ(ReadWholeFile(target), "old");
}

// SIGTERM ends the program as the signal does, and its temporary file goes with it.
TEST_F(TransferCommandTest, TerminationLeavesOnlyTheUntouchedOriginal) {
    Serve("term.bin", std::string(1 << 20, 't'));
    const std::string target = local.File("target.bin");
    WriteWholeFile(target, "old");
    const pid_t pid = Start({"get", http->Url("/slow/term.bin"), target});
    while (ReadWholeFile(local.File("stderr.txt")).find("bytes read") == std::string::npos) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid, SIGTERM);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
    EXPECT_EQ(ReadWholeFile(target), "old");
    for (const auto& entry : std::filesystem::directory_iterator(local.Path())) {
        EXPECT_EQ(entry.path().filename().string().find(".mvn-tmp."), std::string::npos);
    }
}

}  // namespace
