#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "RecordingTransferWindow.h"
#include "RemoteFixture.h"
#include "SpecialFiles.h"
#include "i18n/MessageCatalogue.h"
#include "i18n/MessageTables.h"
#include "remote/Address.h"
#include "remote/FtpSupport.h"
#include "remote/Probe.h"
#include "remote/TransferJob.h"

using testing::ElementsAre;
using testing::HasSubstr;
using testing::StartsWith;
using Kind = RecordingTransferWindow::Kind;

namespace {

constexpr int64_t kTenFebruary2002 = 1013336160;  // 10/02/2002 10:16:00 GMT

class FtpTest : public RemoteTest {
protected:
    FtpProbeRequest Request(const std::string& address, const std::string& password = "secret") {
        const ParsedAddress parsed = ClassifyAddress(address);
        return {parsed.object, parsed.server, "user", password, parsed.port};
    }

    // Downloads `object` of the test server to `localPath` as the copy action does.
    std::string Download(const std::vector<std::string>& pairs,
                         const std::string& password = "secret", FtpTransferOptions options = {}) {
        std::vector<std::string> arguments{"127.0.0.1", "user", password};
        arguments.insert(arguments.end(), pairs.begin(), pairs.end());
        if (options.port == 21) {
            options.port = static_cast<uint16_t>(servers.Ftp().Port());
        }
        CTransferJob job(*window);
        RunFtpTransfer(job, arguments, 0, options);
        EXPECT_FALSE(window->Closed()) << "the caller shows the result first";
        return Show(job.Outcome());
    }

    // The window of the next download.
    void Renew() { window = std::make_unique<RecordingTransferWindow>(); }

    std::unique_ptr<RecordingTransferWindow> window = std::make_unique<RecordingTransferWindow>();
};

TEST_F(FtpTest, ProbeGivesServerTimeAndPathThroughAddressPortAndBlank) {
    servers.Serve("pub/probe me.txt", "content", kTenFebruary2002);
    const FtpProbeRequest request = Request(servers.FtpUrl("/pub/probe me.txt"));
    ASSERT_EQ(request.object, "/pub/probe%20me.txt");

    const ProbeResult result = ProbeFtpFile(request);
    EXPECT_EQ(result.status, ProbeStatus::Found);
    EXPECT_EQ(result.time, kTenFebruary2002);
    EXPECT_EQ(result.path, "/pub/probe me.txt");
    EXPECT_FALSE(result.message);
}

TEST_F(FtpTest, ProbeOfAbsentFileFolderOrDirectoryIsNotFoundWithoutBox) {
    servers.Serve("listing/present.txt", "x");
    for (const char* absent : {"/listing/absent.txt", "/nofolder/present.txt", "/listing"}) {
        const ProbeResult result = ProbeFtpFile(Request(servers.FtpUrl(absent)));
        EXPECT_EQ(result.status, ProbeStatus::NotFound) << absent;
        EXPECT_EQ(result.time, -1);
        EXPECT_FALSE(result.message) << absent;
    }
}

TEST_F(FtpTest, ProbeLoginOrConnectionFailureShowsItsDescription) {
    servers.Serve("login.txt", "x");
    const std::string refused = "ftp://127.0.0.1:" + std::to_string(ClosedPort()) + "/login.txt";
    const FtpProbeRequest requests[] = {Request(servers.FtpUrl("/login.txt"), "wrong"),
                                        Request(refused)};
    for (const FtpProbeRequest& request : requests) {
        EXPECT_EQ(Show(ProbeFtpFile(request)).status, ProbeStatus::Failed);
    }
    const auto shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_THAT(shown[0].text, HasSubstr("530"));
    EXPECT_THAT(shown[1].text, HasSubstr("connect"));
    for (const auto& box : shown) {
        EXPECT_EQ(box.caption, "FTP connection error");
        EXPECT_EQ(box.icon, BoxIcon::Error);
        EXPECT_EQ(box.buttons, BoxButtons::Ok);
        EXPECT_EQ(box.owner, BoxOwner::None);
    }
}

// A login text that could end the login line is refused before any connection: against a
// closed port the failure is still the refusal, never a failed connect.
TEST_F(FtpTest, LineBreakOrNulInTheLoginIsRefusedBeforeAnythingIsSent) {
    const std::string victim = servers.Serve("victim.txt", "keep");
    const std::string original = local.File("original.txt");
    WriteWholeFile(original, "old");
    const std::string closed = "ftp://127.0.0.1:" + std::to_string(ClosedPort()) + "/victim.txt";
    const std::string hostile[] = {"bob\r\nDELE victim.txt", "bob\nQUIT", {"bob\0DELE", 8}};
    const struct {
        uint32_t lcid;
        std::string refusal;
        std::string downloadFailure;
    } languages[] = {
        {kLcidEnglish,
         "The FTP user name or password holds a line break or a NUL character; nothing was sent.",
         "Internet Exception Error 67"},
        {kLcidFrench,
         "Le nom d'utilisateur ou le mot de passe FTP contient un saut de ligne ou un "
         "caract\xC3\xA8re NUL : rien n'a \xC3\xA9t\xC3\xA9 envoy\xC3\xA9.",
         "Erreur Exception Internet 67"},
    };
    for (const auto& language : languages) {
        TheCatalogue().SetCurrentLcid(language.lcid);
        for (const std::string& text : hostile) {
            for (const bool inUser : {true, false}) {
                SCOPED_TRACE(language.downloadFailure + (inUser ? " user" : " password"));
                for (const std::string& address : {closed, servers.FtpUrl("/victim.txt")}) {
                    FtpProbeRequest request = Request(address);
                    (inUser ? request.user : request.password) = text;
                    const ProbeResult result = ProbeFtpFile(request);
                    EXPECT_EQ(result.status, ProbeStatus::Failed);
                    ASSERT_TRUE(result.message);
                    EXPECT_EQ(result.message->text, language.refusal);
                    EXPECT_EQ(result.message->kind, RemoteBoxKind::FtpConnection);
                }
                Renew();
                std::vector<std::string> arguments{"127.0.0.1", "user", "secret", "/victim.txt",
                                                   original};
                arguments[inUser ? 1 : 2] = text;
                CTransferJob job(*window);
                RunFtpTransfer(job, arguments, 0, {static_cast<uint16_t>(servers.Ftp().Port())});
                EXPECT_EQ(job.Outcome().result.text,
                          language.downloadFailure + "\n" + language.refusal);
                EXPECT_EQ(job.Outcome().status, TransferStatus::Failed);
            }
        }
    }
    EXPECT_EQ(ReadWholeFile(original), "old");
    EXPECT_EQ(ReadWholeFile(victim), "keep");
}

TEST_F(FtpTest, DownloadOfTwoUnitsReplacesOriginalUnitByUnit) {
    const std::string bytes = Pattern(8192);
    servers.Serve("f8192.bin", bytes);
    const std::string original = local.File("original.bin");
    WriteWholeFile(original, "old");
    chmod(original.c_str(), 0640);

    EXPECT_EQ(Download({"/f8192.bin", original}), "Internet Download Completed Successfully");

    EXPECT_THAT(
        window->Texts(Kind::Status),
        ElementsAre("Connecting to 127.0.0.1", "/f8192.bin", "Getting File Information /f8192.bin",
                    "Opening /f8192.bin", "4096 of 8192  bytes read", "8192 of 8192  bytes read",
                    "8192 of 8192  bytes read", "Closing connection to 127.0.0.1"));
    EXPECT_THAT(window->Texts(Kind::Caption),
                ElementsAre("Downloading f8192.bin", "Downloading f8192.bin"));
    EXPECT_THAT(window->Values(Kind::Total), ElementsAre(8192));
    EXPECT_THAT(window->Values(Kind::Done), ElementsAre(4096, 8192, 8192));
    EXPECT_THAT(window->Percentages(), ElementsAre("50%", "100%"));
    EXPECT_EQ(ReadWholeFile(original), bytes);
    struct stat info {};
    stat(original.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(LeftoverDownloads(local.Path()), 0);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(FtpTest, SmallFileShowsNoPercentageAndEveryPairIsFetched) {
    servers.Serve("small/f1000.bin", Pattern(1000));
    servers.Serve("small/empty.bin", "");
    const std::string first = local.File("first.bin");
    const std::string second = local.File("second.bin");

    EXPECT_EQ(Download({"/small/f1000.bin", first, "/small/empty.bin", second}),
              "Internet Download Completed Successfully");

    EXPECT_THAT(window->Texts(Kind::Status),
                ElementsAre("Connecting to 127.0.0.1", "/small/f1000.bin",
                            "Getting File Information /small/f1000.bin", "Opening /small/f1000.bin",
                            "1000 of 0  bytes read", "Closing connection to 127.0.0.1",
                            "Connecting to 127.0.0.1", "/small/empty.bin",
                            "Getting File Information /small/empty.bin", "Opening /small/empty.bin",
                            "0 of 0  bytes read", "Closing connection to 127.0.0.1"));
    EXPECT_THAT(window->Values(Kind::Total), ElementsAre(0, 0));
    EXPECT_TRUE(window->Percentages().empty());
    EXPECT_EQ(ReadWholeFile(first), Pattern(1000));
    EXPECT_TRUE(std::filesystem::exists(second));
    EXPECT_EQ(ReadWholeFile(second), "");
}

TEST_F(FtpTest, CancelWhileConnectingOrInTheLoopLeavesOriginalUntouched) {
    servers.Serve("cancel.bin", Pattern(size_t{64} * 1024));
    const std::string original = local.File("original.bin");
    WriteWholeFile(original, "old");
    const std::function<bool(const RecordingTransferWindow::Update&)> triggers[] = {
        [](const auto& update) { return update.text == "Connecting to 127.0.0.1"; },
        [](const auto& update) { return update.kind == Kind::Done; },
    };
    const char* lastLines[] = {"Connecting to 127.0.0.1", "Closing connection to 127.0.0.1"};
    for (int i = 0; i < 2; ++i) {
        RecordingTransferWindow recorder;
        recorder.CancelAt(triggers[i]);
        CTransferJob job(recorder);
        RunFtpTransfer(job, {"127.0.0.1", "user", "secret", "/cancel.bin", original}, 0,
                       {static_cast<uint16_t>(servers.Ftp().Port()), true});
        EXPECT_EQ(job.Outcome().result.text, "User Cancelled Download Operation");
        EXPECT_EQ(job.Outcome().status, TransferStatus::Cancelled);
        EXPECT_EQ(recorder.Texts(Kind::Status).back(), lastLines[i]);
        EXPECT_EQ(ReadWholeFile(original), "old");
        EXPECT_EQ(LeftoverDownloads(local.Path()), 0);
    }
}

TEST_F(FtpTest, CancelWakesDownloadWaitingOnSilentServer) {
    const int silentPort = servers.Http().SilentPort();
    std::thread user([&] {
        // Cancel once the server holds the connection and the download waits for its greeting.
        while (servers.Http().LogLines().empty() || servers.Http().LogLines().back() != "ACCEPT") {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        window->PressCancel();
    });
    const std::string original = local.File("original.bin");
    WriteWholeFile(original, "old");

    EXPECT_EQ(Download({"/any.bin", original}, "secret", {static_cast<uint16_t>(silentPort), true}),
              "User Cancelled Download Operation");
    user.join();
    EXPECT_EQ(ReadWholeFile(original), "old");
}

// An FTPS server that accepts and never answers the TLS handshake: the wait ends at its
// bound, or at once on Cancel.
TEST_F(FtpTest, StalledTlsHandshakeIsBoundedAndCancelled) {
    const std::string original = local.File("original.bin");
    WriteWholeFile(original, "old");
    const FtpTransferOptions silent{static_cast<uint16_t>(servers.Http().SilentPort()), true,
                                    FtpSecurity::Implicit};
    const std::vector<std::string> arguments{"127.0.0.1", "user", "secret", "/any.bin", original};
    {
        CTransferJob bounded(*window);
        RunFtpTransfer(bounded, arguments, 1000, silent);
        EXPECT_EQ(bounded.Outcome().result.text, "Internet Exception Error 28");
    }

    Renew();
    bool endedSoon = false;
    std::thread user([&] {
        window->WaitForStatus("Connecting to 127.0.0.1");
        // Lets the download reach the handshake's wait before the press.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        window->PressCancel();
        endedSoon = window->WaitForFinish(std::chrono::seconds(5));
    });
    CTransferJob cancelled(*window);
    RunFtpTransfer(cancelled, arguments, 0, silent);
    user.join();
    EXPECT_TRUE(endedSoon);
    ExpectCancelledLeaving(cancelled.Outcome(), original);
}

// With the default bounds of 30 s, a Cancel pressed while the server keeps the reply to
// RETR or the transfer's final reply to itself ends the download long before the bound.
TEST_F(FtpTest, CancelEndsTheWaitForAReplyThatNeverComes) {
    const struct {
        const char* name;
        const char* waitingAfter;
    } cases[] = {{"mute-cancel.bin", "Opening /mute-cancel.bin"},
                 {"unconfirmed-cancel.bin", "65536 of 65536  bytes read"}};
    const std::string original = local.File("original.bin");
    WriteWholeFile(original, "old");
    for (const auto& fault : cases) {
        SCOPED_TRACE(fault.name);
        servers.Serve(fault.name, Pattern(65536));
        Renew();
        bool endedSoon = false;
        std::thread user([&] {
            window->WaitForStatus(fault.waitingAfter);
            // Lets the download reach its wait before the press.
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            window->PressCancel();
            endedSoon = window->WaitForFinish(std::chrono::seconds(15));
        });
        CTransferJob job(*window);
        RunFtpTransfer(job,
                       {"127.0.0.1", "user", "secret", std::string("/") + fault.name, original}, 0,
                       {static_cast<uint16_t>(servers.Ftp().Port()), true});
        user.join();
        EXPECT_TRUE(endedSoon);
        ExpectCancelledLeaving(job.Outcome(), original);
    }
}

TEST_F(FtpTest, DownloadFailuresEndWithTheirMessages) {
    servers.Serve("fail/present.bin", "data");
    const std::string original = local.File("original.bin");
    WriteWholeFile(original, "old");

    EXPECT_EQ(Download({"/fail/absent.bin", original}),
              "File NOT found on Server: /fail/absent.bin");
    const auto shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "File NOT found on Server: /fail/absent.bin");
    EXPECT_EQ(shown[0].caption, "<application>");
    EXPECT_EQ(shown[0].icon, BoxIcon::Exclamation);
    EXPECT_EQ(window->Texts(Kind::Status).back(), "File NOT found on Server: /fail/absent.bin");

    Renew();
    const std::string wrongPassword = Download({"/fail/present.bin", original}, "wrong");
    EXPECT_THAT(wrongPassword, StartsWith("Internet Exception Error 67\n530"));

    Renew();
    const std::string noFolder = local.File("missing/target.bin");
    EXPECT_EQ(Download({"/fail/present.bin", noFolder}), "Unable to create file " + noFolder);
    EXPECT_EQ(boxes.Boxes().back().text, "Unable to create file " + noFolder);
    Renew();
    CTransferJob silent(*window);
    RunFtpTransfer(silent, {"127.0.0.1", "user", "secret", "/fail/present.bin", original}, 1000,
                   {static_cast<uint16_t>(servers.Http().SilentPort()), true});
    EXPECT_EQ(silent.Outcome().result.text, "Internet Exception Error 28");
    EXPECT_EQ(silent.Outcome().result.code, 28);
    EXPECT_EQ(silent.Outcome().status, TransferStatus::Failed);

    EXPECT_EQ(ReadWholeFile(original), "old");
    EXPECT_EQ(LeftoverDownloads(local.Path()), 0);
}

// The test server's faults (see ftp_server.py): each wait ends after the job's time-out,
// which stands for the 30 s of a real download. The trickle lasts longer than the time-out
// in all but it is never silent that long, so it is read to its end before the silence.
TEST_F(FtpTest, StalledTrickledOrMuteServerEndsWithTheTimeOut) {
    const struct {
        const char* name;
        const char* lastByteLine;
    } cases[] = {{"stall-data.bin", "4096 of 65536  bytes read"},
                 {"trickle-data.bin", "8192 of 65536  bytes read"},
                 {"mute-data.bin", nullptr},
                 {"unconfirmed-data.bin", "65536 of 65536  bytes read"}};
    const std::string original = local.File("original.bin");
    WriteWholeFile(original, "old");
    for (const auto& fault : cases) {
        SCOPED_TRACE(fault.name);
        servers.Serve(fault.name, Pattern(65536));
        Renew();
        CTransferJob job(*window);
        RunFtpTransfer(job,
                       {"127.0.0.1", "user", "secret", std::string("/") + fault.name, original},
                       2000, {static_cast<uint16_t>(servers.Ftp().Port()), true});
        EXPECT_EQ(job.Outcome().result.text, "Internet Exception Error 28");
        EXPECT_EQ(job.Outcome().status, TransferStatus::Failed);
        std::vector<std::string> byteLines;
        for (const std::string& line : window->Texts(Kind::Status)) {
            if (line.ends_with("bytes read")) {
                byteLines.push_back(line);
            }
        }
        if (fault.lastByteLine) {
            ASSERT_FALSE(byteLines.empty());
            EXPECT_EQ(byteLines.back(), fault.lastByteLine);
        } else {
            EXPECT_TRUE(byteLines.empty());
        }
        EXPECT_EQ(ReadWholeFile(original), "old");
        EXPECT_EQ(LeftoverDownloads(local.Path()), 0);
    }
}

TEST_F(FtpTest, DownloadOntoAnythingButARegularFileIsRefused) {
    servers.Serve("special.bin", "data");
    for (const SpecialFile& file : MakeSpecialFiles(local.Path())) {
        SCOPED_TRACE(file.kind);
        const FileIdentity identity = IdentityOf(file.path);
        Renew();
        EXPECT_EQ(Download({"/special.bin", file.path}), "Unable to create file " + file.path);
        EXPECT_EQ(IdentityOf(file.path), identity);
    }
    EXPECT_EQ(LeftoverDownloads(local.Path()), 0);
}

TEST_F(FtpTest, AsciiChoiceReachesTheServer) {
    servers.Serve("text.txt", "one\r\ntwo\n");
    const std::string binary = local.File("binary.txt");
    const std::string ascii = local.File("ascii.txt");
    const uint16_t port = static_cast<uint16_t>(servers.Ftp().Port());

    Download({"/text.txt", binary}, "secret", {port, true});
    Renew();
    Download({"/text.txt", ascii}, "secret", {port, false});

    // In ASCII, line ends arrive as local text files end them.
    EXPECT_EQ(ReadWholeFile(binary), "one\r\ntwo\n");
    EXPECT_EQ(ReadWholeFile(ascii), "one\ntwo\n");
}

}  // namespace
