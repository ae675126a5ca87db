#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "RecordingTransferWindow.h"
#include "RemoteFixture.h"
#include "SpecialFiles.h"
#include "remote/Probe.h"
#include "remote/TransferJob.h"

using testing::ElementsAre;
using testing::IsEmpty;
using Kind = RecordingTransferWindow::Kind;

namespace {

constexpr int64_t kNoonGmt = 1013342400;  // 10/02/2002 12:00:00 GMT, 13:00 in Paris

class HttpTest : public RemoteTest {
protected:
    ProbeResult Probe(const std::string& address) { return Show(ProbeHttpFile(address)); }

    std::string Download(const std::string& address, const std::string& localPath,
                         uint32_t timeoutMs = 5000) {
        window = std::make_unique<RecordingTransferWindow>();
        CTransferJob job(*window);
        RunHttpTransfer(job, {address, localPath}, timeoutMs);
        EXPECT_FALSE(window->Closed());
        return Show(job.Outcome());
    }

    // The texts of the boxes shown, from the `from`th on.
    std::vector<std::string> BoxTexts(size_t from = 0) const {
        std::vector<std::string> texts;
        const auto shown = boxes.Boxes();
        for (size_t i = from; i < shown.size(); ++i) {
            const auto& box = shown[i];
            EXPECT_EQ(box.caption, "ERROR");
            EXPECT_EQ(box.icon, BoxIcon::Error);
            EXPECT_EQ(box.owner, BoxOwner::None);
            texts.push_back(box.text);
        }
        return texts;
    }

    std::unique_ptr<RecordingTransferWindow> window;
};

TEST_F(HttpTest, ProbeReadsLastModifiedAsGmtAndSendsAddressAsAgent) {
    // Far longer than the 64 characters web addresses were once limited to.
    const std::string folder = "probe/" + std::string(100, 'p');
    servers.Serve(folder + "/page.htm", "<html/>", kNoonGmt);
    const std::string address = servers.Http().Url("/files/" + folder + "/page.htm");

    const ProbeResult probe = Probe(address);

    EXPECT_EQ(probe.status, ProbeStatus::Found);
    EXPECT_EQ(probe.time, kNoonGmt);
    EXPECT_EQ(probe.path, "/files/" + folder + "/page.htm");
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(servers.Http().LogLines().back(), "GET /files/" + folder + "/page.htm\t" + address);
}

// The query passes to the server as written, except that a request line cannot hold a blank.
TEST_F(HttpTest, BlanksInTheQueryAreSentEncoded) {
    servers.Serve("f.txt", "text", kNoonGmt);
    const std::string address = servers.Http().Url("/files/f.txt?b=two words&c=%41");

    EXPECT_EQ(Probe(address).time, kNoonGmt);
    EXPECT_EQ(servers.Http().LogLines().back(), "GET /files/f.txt?b=two%20words&c=%41\t" + address);
    EXPECT_TRUE(boxes.Boxes().empty());
}

// A user name and password written in a web address are neither sent nor shown as the agent.
TEST_F(HttpTest, CredentialsInTheAddressAreNotSent) {
    servers.Serve("f.txt", "text", kNoonGmt);
    const std::string plain = servers.Http().Url("/files/f.txt");
    const std::string address = "http://bob:secret@" + plain.substr(std::string("http://").size());

    EXPECT_EQ(Probe(address).time, kNoonGmt);
    EXPECT_EQ(servers.Http().LogLines().back(), "GET /files/f.txt\t" + plain);
    const std::string original = local.File("f.txt");
    EXPECT_EQ(Download(address, original), "Internet Download Completed Successfully");
    EXPECT_EQ(ReadWholeFile(original), "text");
    EXPECT_EQ(servers.Http().LogLines().back(), "GET /files/f.txt\t" + plain);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(HttpTest, ProbeFollowsRedirectsToWebAddressesOnly) {
    servers.Serve("moved.htm", "<html/>", kNoonGmt);
    const std::string target = servers.Http().Url("/files/moved.htm");
    EXPECT_EQ(Probe(servers.Http().Url("/redirect/1?to=" + target)).time, kNoonGmt);

    const ProbeResult toFtp =
        Probe(servers.Http().Url("/redirect/2?to=") + servers.FtpUrl("/moved.htm"));
    EXPECT_EQ(toFtp.status, ProbeStatus::Failed);
    EXPECT_THAT(BoxTexts(), ElementsAre("HTTP server answered with status 302"));
}

// A redirect to https that fails its TLS handshake reports that failure, not the redirect.
TEST_F(HttpTest, FailedSecureRedirectIsReportedAsItsOwnFailure) {
    servers.Serve("f.txt", "text", kNoonGmt);
    const std::string plain = servers.Http().Url("/files/f.txt");
    const std::string secure = "https://" + plain.substr(std::string("http://").size());
    const std::string address = servers.Http().Url("/redirect/3?to=" + secure);
    const std::string expected = "HTTP Send Request failed: 35\nSSL connect error";

    EXPECT_EQ(Probe(address).status, ProbeStatus::Failed);
    const std::string original = local.File("f.txt");
    WriteWholeFile(original, "old");
    EXPECT_EQ(Download(address, original), expected);
    EXPECT_THAT(BoxTexts(), ElementsAre(expected, expected));
    EXPECT_EQ(ReadWholeFile(original), "old");
}

TEST_F(HttpTest, ProbeFailuresShowTheirBoxes) {
    servers.Serve("nolm.htm", "<html/>");
    const std::string closed = "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/x";
    const struct {
        std::string address;
        ProbeStatus status;
        std::string box;
    } cases[] = {
        {servers.Http().Url("/status/404"), ProbeStatus::NotFound,
         "HTTP server answered with status 404"},
        {servers.Http().Url("/status/410"), ProbeStatus::NotFound,
         "HTTP server answered with status 410"},
        {servers.Http().Url("/status/500"), ProbeStatus::Failed,
         "HTTP server answered with status 500"},
        {servers.Http().Url("/nolm/nolm.htm"), ProbeStatus::Failed,
         "HTTP Query Info failed: 12150"},
        {closed, ProbeStatus::Failed, "HTTP Send Request failed: 7"},
        {"ftps://127.0.0.1/x", ProbeStatus::Failed, "ftps://127.0.0.1/x is not HTTP address"},
        {"C:\\data\\page.htm", ProbeStatus::Failed, "C:\\data\\page.htm is not HTTP address"},
        {"http://127.0.0.1:99999/x", ProbeStatus::Failed, "URL splitting failed: 3"},
    };
    for (const auto& test : cases) {
        const size_t before = boxes.Boxes().size();
        const ProbeResult probe = Probe(test.address);
        EXPECT_EQ(probe.status, test.status) << test.address;
        EXPECT_EQ(probe.time, -1) << test.address;
        EXPECT_THAT(BoxTexts(before), ElementsAre(test.box)) << test.address;
    }
}

TEST_F(HttpTest, ProbeOfSilentServerEndsAtTheReceiveTimeOut) {
    EXPECT_EQ(Probe(servers.Http().Url("/silent")).status, ProbeStatus::Failed);
    EXPECT_THAT(BoxTexts(), ElementsAre("HTTP Send Request failed: 28"));
}

// A server that accepts and never answers the TLS handshake holds a probe for its bound only,
// and a download until Cancel, which ends it at once.
TEST_F(HttpTest, StalledTlsHandshakeIsBoundedAndCancelled) {
    const std::string address =
        "https://127.0.0.1:" + std::to_string(servers.Http().SilentPort()) + "/x";
    EXPECT_EQ(Probe(address).status, ProbeStatus::Failed);
    EXPECT_THAT(BoxTexts(), ElementsAre("HTTP Send Request failed: 28"));

    const std::string original = local.File("original.bin");
    WriteWholeFile(original, "old");
    RecordingTransferWindow transferWindow;
    bool endedSoon = false;
    std::thread user([&] {
        transferWindow.WaitForStatus("Connecting to 127.0.0.1");
        // Lets the download reach the handshake's wait before the press.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        transferWindow.PressCancel();
        endedSoon = transferWindow.WaitForFinish(std::chrono::seconds(5));
    });
    CTransferJob job(transferWindow);
    RunHttpTransfer(job, {address, original}, 0);
    user.join();
    EXPECT_TRUE(endedSoon);
    ExpectCancelledLeaving(job.Outcome(), original);
}

TEST_F(HttpTest, DownloadOfTwoUnits) {
    servers.Serve("d8192.bin", Pattern(8192));
    const std::string address = servers.Http().Url("/files/d8192.bin");
    const std::string original = local.File("original.bin");
    WriteWholeFile(original, "old");

    EXPECT_EQ(Download(address, original), "Internet Download Completed Successfully");

    EXPECT_THAT(window->Texts(Kind::Status),
                ElementsAre("Connecting to 127.0.0.1", address, "Opening " + original,
                            "4096 of 8192  bytes read", "8192 of 8192  bytes read",
                            "8192 of 8192  bytes read", "Closing connection to " + address));
    EXPECT_THAT(window->Texts(Kind::Caption), ElementsAre("Downloading d8192.bin"));
    EXPECT_THAT(window->Values(Kind::Done), ElementsAre(4096, 8192, 8192));
    EXPECT_THAT(window->Percentages(), ElementsAre("50%", "100%"));
    EXPECT_EQ(ReadWholeFile(original), Pattern(8192));
    EXPECT_EQ(LeftoverDownloads(local.Path()), 0);
}

TEST_F(HttpTest, ChunkedAndEmptyAnswersHaveNoSize) {
    servers.Serve("c10000.bin", Pattern(10000));
    servers.Serve("empty.bin", "");
    const std::string chunked = local.File("chunked.bin");
    EXPECT_EQ(Download(servers.Http().Url("/chunked/c10000.bin"), chunked),
              "Internet Download Completed Successfully");
    EXPECT_EQ(ReadWholeFile(chunked), Pattern(10000));
    EXPECT_THAT(window->Values(Kind::Total), ElementsAre(0));
    EXPECT_THAT(window->Values(Kind::Done), ElementsAre(4096, 8192, 10000, 10000));
    EXPECT_EQ(window->Texts(Kind::Status)[5], "10000 of 0  bytes read");

    RecordingTransferWindow emptyWindow;
    CTransferJob job(emptyWindow);
    const std::string empty = local.File("empty.bin");
    WriteWholeFile(empty, "old");
    RunHttpTransfer(job, {servers.Http().Url("/files/empty.bin"), empty}, 5000);
    EXPECT_EQ(job.Outcome().result.text, "Internet Download Completed Successfully");
    EXPECT_EQ(ReadWholeFile(empty), "");
    EXPECT_THAT(emptyWindow.Values(Kind::Done), ElementsAre(0));
    EXPECT_TRUE(emptyWindow.Percentages().empty());
    EXPECT_TRUE(window->Percentages().empty());
}

TEST_F(HttpTest, ErrorAnswerOrSilentServerLeavesOriginalUntouched) {
    const std::string original = local.File("original.bin");
    WriteWholeFile(original, "old");

    EXPECT_EQ(Download(servers.Http().Url("/status/404"), original),
              "HTTP server answered with status 404");
    EXPECT_EQ(Download(servers.Http().Url("/silent"), original, 1000),
              "HTTP Send Request failed: 28");
    EXPECT_THAT(BoxTexts(), ElementsAre("HTTP server answered with status 404",
                                        "HTTP Send Request failed: 28"));
    EXPECT_EQ(ReadWholeFile(original), "old");
    EXPECT_EQ(LeftoverDownloads(local.Path()), 0);
}

// The receive time-out is the longest wait for data: a body that pauses longer ends there,
// although its rate averaged over the pause and the data around it would pass. A body cut
// short of its length is no download either.
TEST_F(HttpTest, StalledOrShortBodyEndsTheDownload) {
    servers.Serve("paused.bin", Pattern(size_t{64} * 1024));
    const std::string original = local.File("original.bin");
    WriteWholeFile(original, "old");

    EXPECT_EQ(Download(servers.Http().Url("/stall/paused.bin"), original),
              "HTTP Read File failed: 28");
    EXPECT_EQ(Download(servers.Http().Url("/short/paused.bin"), original),
              "HTTP Read File failed: 18");
    EXPECT_THAT(BoxTexts(), ElementsAre("HTTP Read File failed: 28", "HTTP Read File failed: 18"));
    EXPECT_EQ(ReadWholeFile(original), "old");
    EXPECT_EQ(LeftoverDownloads(local.Path()), 0);
}

// A server compressing a body nobody asked to compress still gives the file's own bytes.
TEST_F(HttpTest, UnrequestedCompressionIsDecoded) {
    const std::string body = Pattern(size_t{64} * 1024);
    servers.Serve("packed.bin", body);
    const std::string original = local.File("original.bin");
    WriteWholeFile(original, "old");

    EXPECT_EQ(Download(servers.Http().Url("/gzip/packed.bin"), original),
              "Internet Download Completed Successfully");
    EXPECT_EQ(ReadWholeFile(original), body);
    EXPECT_THAT(BoxTexts(), IsEmpty());
}

TEST_F(HttpTest, CancelInTheLoopOrWhileServerIsSilent) {
    servers.Serve("slow.bin", Pattern(size_t{64} * 1024));
    const std::string original = local.File("original.bin");
    WriteWholeFile(original, "old");

    RecordingTransferWindow loopWindow;
    loopWindow.CancelAt([](const auto& update) { return update.kind == Kind::Done; });
    CTransferJob loopJob(loopWindow);
    RunHttpTransfer(loopJob, {servers.Http().Url("/slow/slow.bin"), original}, 5000);
    EXPECT_EQ(loopJob.Outcome().result.text, "User Cancelled Download Operation");
    EXPECT_EQ(loopWindow.Texts(Kind::Status).back(),
              "Closing connection to " + servers.Http().Url("/slow/slow.bin"));

    RecordingTransferWindow silentWindow;
    std::thread user([&] {
        const auto logged = [&] {
            const auto lines = servers.Http().LogLines();
            return !lines.empty() && lines.back().starts_with("GET /silent/cancel");
        };
        while (!logged()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        silentWindow.PressCancel();
    });
    CTransferJob job(silentWindow);
    RunHttpTransfer(job, {servers.Http().Url("/silent/cancel"), original}, 0);
    user.join();
    EXPECT_EQ(job.Outcome().result.text, "User Cancelled Download Operation");
    EXPECT_EQ(ReadWholeFile(original), "old");
    EXPECT_EQ(LeftoverDownloads(local.Path()), 0);
    EXPECT_TRUE(boxes.Boxes().empty());
}

// Without a time-out the stall's silence (8 s) has no bound but Cancel.
TEST_F(HttpTest, CancelEndsTheSilenceOfAStalledBody) {
    servers.Serve("stalled.bin", Pattern(size_t{64} * 1024));
    const std::string original = local.File("original.bin");
    WriteWholeFile(original, "old");
    RecordingTransferWindow transferWindow;
    bool endedSoon = false;
    std::thread user([&] {
        transferWindow.WaitForStatus("32768 of 65536  bytes read");
        // Lets the download reach the silence before the press.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        transferWindow.PressCancel();
        endedSoon = transferWindow.WaitForFinish(std::chrono::seconds(5));
    });
    CTransferJob job(transferWindow);
    RunHttpTransfer(job, {servers.Http().Url("/stall/stalled.bin"), original}, 0);
    user.join();
    EXPECT_TRUE(endedSoon);
    ExpectCancelledLeaving(job.Outcome(), original);
}

TEST_F(HttpTest, DownloadOntoAnythingButARegularFileIsRefused) {
    servers.Serve("special.bin", "data");
    for (const SpecialFile& file : MakeSpecialFiles(local.Path())) {
        SCOPED_TRACE(file.kind);
        const FileIdentity identity = IdentityOf(file.path);
        EXPECT_EQ(Download(servers.Http().Url("/files/special.bin"), file.path),
                  "Unable to create file " + file.path);
        EXPECT_EQ(IdentityOf(file.path), identity);
    }
    EXPECT_EQ(LeftoverDownloads(local.Path()), 0);
}

TEST_F(HttpTest, DownloadSendsAddressAsAgent) {
    const std::string address = servers.Http().Url("/agent");
    const std::string target = local.File("agent.txt");
    EXPECT_EQ(Download(address, target), "Internet Download Completed Successfully");
    EXPECT_EQ(ReadWholeFile(target), address);
}

}  // namespace
