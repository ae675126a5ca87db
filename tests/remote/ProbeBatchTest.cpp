#include "remote/ProbeBatch.h"

#include "PackageServers.h"
#include "RemoteFixture.h"
#include "TempDir.h"
#include "TestServers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int64_t kServedTime = 1013336167;  // 10/02/2002 10:16:07 GMT

ProbeRequest HttpProbe(const std::string& address, uint16_t port) {
    ProbeRequest request;
    request.protocol = ProbeRequest::Protocol::Http;
    request.server = "127.0.0.1";
    request.port = port;
    request.address = address;
    return request;
}

ProbeRequest FtpProbe(const std::string& object, uint16_t port) {
    ProbeRequest request;
    request.protocol = ProbeRequest::Protocol::Ftp;
    request.server = "127.0.0.1";
    request.port = port;
    request.ftp = {object, "127.0.0.1", "user", "secret", port};
    return request;
}

// The most requests the servers were answering at once, from the BEGIN and END lines of
// their logs: each takes a connection of its own.
size_t MostAtOnce(const std::vector<const CHttpTestServer*>& servers) {
    std::multimap<double, int> changes;
    for (const CHttpTestServer* server : servers) {
        for (const std::string& line : server->LogLines()) {
            std::istringstream words(line);
            std::string kind;
            double time = 0;
            if (words >> kind >> time && (kind == "BEGIN" || kind == "END")) {
                changes.emplace(time, kind == "BEGIN" ? 1 : -1);
            }
        }
    }
    int open = 0;
    int most = 0;
    for (const auto& [time, change] : changes) {
        open += change;
        most = std::max(most, open);
    }
    return static_cast<size_t>(most);
}

class ProbeBatchTest : public RemoteTest {};

// Each probe gets the answer it gets alone, in the order asked, whatever the order the
// answers come in: found, absent and failing probes of both kinds mixed, on servers quick,
// late and closed.
TEST_F(ProbeBatchTest, EachProbeGetsTheAnswerItGetsAlone) {
    servers.Serve("batch/one.txt", "one", kServedTime);
    servers.Serve("batch/two.txt", "two", kServedTime + 60);
    const TempDir logs;
    const CHttpTestServer late(local.Path().string(), logs.File("late.log"), {"--delay", "0.3"});
    const auto httpPort = static_cast<uint16_t>(servers.Http().Port());
    const auto ftpPort = static_cast<uint16_t>(servers.Ftp().Port());
    const auto closed = static_cast<uint16_t>(ClosedPort());
    const std::vector<ProbeRequest> requests = {
        HttpProbe(servers.Http().Url("/files/batch/one.txt"), httpPort),
        FtpProbe("batch/two.txt", ftpPort),
        HttpProbe(late.Url("/files/absent.txt"), static_cast<uint16_t>(late.Port())),
        HttpProbe("http://127.0.0.1:" + std::to_string(closed) + "/x", closed),
        FtpProbe("batch/absent.txt", ftpPort),
        HttpProbe(servers.Http().Url("/status/500"), httpPort),
        HttpProbe(servers.Http().Url("/files/batch/two.txt"), httpPort),
    };
    const std::vector<ProbeResult> together = ProbeSideBySide(requests, ProbeLimits{});
    ASSERT_EQ(together.size(), requests.size());
    for (size_t i = 0; i < requests.size(); ++i) {
        SCOPED_TRACE(i);
        const ProbeResult alone = requests[i].protocol == ProbeRequest::Protocol::Ftp
                                      ? ProbeFtpFile(requests[i].ftp)
                                      : ProbeHttpFile(requests[i].address);
        EXPECT_EQ(together[i].status, alone.status);
        EXPECT_EQ(together[i].time, alone.time);
        EXPECT_EQ(together[i].path, alone.path);
        EXPECT_EQ(together[i].serverDown, alone.serverDown);
        ASSERT_EQ(together[i].message.has_value(), alone.message.has_value());
        if (alone.message) {
            EXPECT_EQ(together[i].message->text, alone.message->text);
        }
    }
    EXPECT_EQ(together[0].time, kServedTime);
    EXPECT_EQ(together[1].time, kServedTime + 60);
    EXPECT_EQ(together[2].status, ProbeStatus::NotFound);
    EXPECT_TRUE(together[3].serverDown);
    EXPECT_EQ(together[4].status, ProbeStatus::NotFound);
    EXPECT_EQ(together[5].status, ProbeStatus::Failed);
}

// Two late servers and more probes than the limits allow at once: no server ever holds more
// than its share of connections, both together never more than the total, and the probes do
// run side by side.
TEST_F(ProbeBatchTest, ConnectionsStayWithinTheLimits) {
    const TempDir logs;
    const CHttpTestServer first(local.Path().string(), logs.File("first.log"),
                                {"--delay", "0.2", "--times"});
    const CHttpTestServer second(local.Path().string(), logs.File("second.log"),
                                 {"--delay", "0.2", "--times"});
    std::vector<ProbeRequest> requests;
    for (int i = 0; i < 8; ++i) {
        for (const CHttpTestServer* server : {&first, &second}) {
            requests.push_back(HttpProbe(server->Url("/files/absent" + std::to_string(i)),
                                         static_cast<uint16_t>(server->Port())));
        }
    }
    const ProbeLimits limits{3, 2};
    const std::vector<ProbeResult> results = ProbeSideBySide(requests, limits);
    for (const ProbeResult& result : results) {
        EXPECT_EQ(result.status, ProbeStatus::NotFound);
    }
    EXPECT_EQ(MostAtOnce({&first}), 2u);
    EXPECT_EQ(MostAtOnce({&second}), 2u);
    EXPECT_EQ(MostAtOnce({&first, &second}), 3u);
}

// Many files on one proftpd: the probes log in once per connection they may hold, then
// reuse those logins.
TEST_F(ProbeBatchTest, FtpLoginsAreReused) {
    if (!CPackageServer::Installed(PackageServerKind::Proftpd)) {
        GTEST_SKIP() << "proftpd-basic is not installed";
    }
    const TempDir served;
    std::vector<ProbeRequest> requests;
    const CPackageServer proftpd(PackageServerKind::Proftpd, served.Path().string());
    for (int i = 0; i < 12; ++i) {
        const std::string name = "file" + std::to_string(i) + ".txt";
        WriteWholeFile(served.File(name), name);
        requests.push_back(FtpProbe("/" + name, static_cast<uint16_t>(proftpd.Port())));
    }
    const std::vector<ProbeResult> results = ProbeSideBySide(requests, ProbeLimits{16, 3});
    for (const ProbeResult& result : results) {
        EXPECT_EQ(result.status, ProbeStatus::Found);
    }
    EXPECT_GE(proftpd.Logins(), 1);
    EXPECT_LE(proftpd.Logins(), 3);
}

// A server that accepts and never answers holds five probes: the first to give up ends the
// others of that server, so the fifth, which waits for a free connection, never connects;
// the other server's probe is answered as usual.
TEST_F(ProbeBatchTest, ASilentServerIsWaitedForOnce) {
    servers.Serve("silent/good.txt", "good", kServedTime);
    const auto silent = static_cast<uint16_t>(servers.Http().SilentPort());
    const auto accepted = [this] {
        const auto lines = servers.Http().LogLines();
        return std::count(lines.begin(), lines.end(), "ACCEPT");
    };
    const auto acceptedBefore = accepted();
    std::vector<ProbeRequest> requests;
    requests.reserve(6);
    for (int i = 0; i < 5; ++i) {
        requests.push_back(HttpProbe(
            "http://127.0.0.1:" + std::to_string(silent) + "/" + std::to_string(i), silent));
    }
    requests.push_back(HttpProbe(servers.Http().Url("/files/silent/good.txt"),
                                 static_cast<uint16_t>(servers.Http().Port())));
    const std::vector<ProbeResult> results = ProbeSideBySide(requests, ProbeLimits{16, 4});
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(results[i].status, ProbeStatus::Failed);
        EXPECT_TRUE(results[i].serverDown);
        ASSERT_TRUE(results[i].message);
        EXPECT_EQ(results[i].message->text, results[0].message->text);
    }
    EXPECT_EQ(results[5].time, kServedTime);
    EXPECT_EQ(accepted() - acceptedBefore, 4);
}

}  // namespace
