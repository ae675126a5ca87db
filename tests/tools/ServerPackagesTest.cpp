#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
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

namespace {

constexpr int64_t kSummerTime = 1013336167;  // 10/02/2002 10:16:07 GMT
// What `mvntool probe` prints for that time (the tests run in Paris time).
constexpr const char* kSummerLine = "time: 1013336167 10/02/2002 11:16:07\n";

constexpr size_t kLargeFileMegabytes = 256;
constexpr size_t kMegabyte = 1 << 20;

// One pseudo-random megabyte repeated, each copy stamped with its number, so that a unit
// lost, doubled or misplaced shows.
void WriteLargeFile(const std::string& path, size_t megabytes) {
    std::mt19937_64 random(7);
    std::vector<uint64_t> block(kMegabyte / sizeof(uint64_t));
    for (uint64_t& word : block) {
        word = random();
    }
    std::ofstream out(path, std::ios::binary);
    for (size_t copy = 0; copy < megabytes; ++copy) {
        block[0] = copy;
        out.write(reinterpret_cast<const char*>(block.data()), kMegabyte);
    }
    ASSERT_TRUE(out.flush()) << path;
}

// With `modified` as its modification time when not -1.
void WriteFileAt(const std::string& path, const std::string& bytes, int64_t modified) {
    WriteWholeFile(path, bytes);
    if (modified >= 0) {
        const timespec times[2] = {{modified, 0}, {modified, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    }
}

// Compares the two files a megabyte at a time.
bool SameBytes(const std::string& first, const std::string& second) {
    std::ifstream a(first, std::ios::binary);
    std::ifstream b(second, std::ios::binary);
    std::vector<char> left(kMegabyte);
    std::vector<char> right(kMegabyte);
    while (a && b) {
        a.read(left.data(), kMegabyte);
        b.read(right.data(), kMegabyte);
        if (a.gcount() != b.gcount() ||
            !std::equal(left.begin(), left.begin() + a.gcount(), right.begin())) {
            return false;
        }
    }
    return a.eof() && b.eof();
}

// `mvntool probe` and `mvntool get` against proftpd, nginx and lighttpd as Debian ships
// them, each configured the way the case needs.
class ServerPackagesTest : public testing::Test {
protected:
    void SetUp() override {
        for (const PackageServerKind kind :
             {PackageServerKind::Proftpd, PackageServerKind::Nginx, PackageServerKind::Lighttpd}) {
            if (!CPackageServer::Installed(kind)) {
                GTEST_SKIP() << "proftpd-basic, nginx and lighttpd are not all installed";
            }
        }
        Serve("summer.txt", "summer\n", kSummerTime);
    }

    void Serve(const std::string& name, const std::string& bytes, int64_t modified = -1) {
        WriteFileAt(m_served.File(name), bytes, modified);
    }

    ToolRun Probe(const std::string& address) {
        return Run({"probe", address, "--user", "user", "--password", "secret"});
    }
    ToolRun Get(const std::string& address, const std::string& target) {
        return Run({"get", address, target, "--user", "user", "--password", "secret"});
    }
    ToolRun Run(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), MVNTOOL_PATH);
        return RunCaptured(std::move(arguments), m_local);
    }

    TempDir m_served;
    TempDir m_local;
};

TEST_F(ServerPackagesTest, ProftpdGivesExactTimesWhetherOrNotItAnswersMdtmAndSize) {
    for (const std::vector<std::string>& denied :
         {std::vector<std::string>{}, {"MDTM"}, {"MDTM SIZE"}}) {
        const std::string label = denied.empty() ? "plain" : denied[0];
        const CPackageServer proftpd(PackageServerKind::Proftpd, m_served.Path().string(), denied);
        for (const bool ipv6 : {false, true}) {
            const ToolRun probe = Probe(proftpd.Url("/summer.txt", ipv6));
            EXPECT_EQ(probe.exitCode, 0) << label << ipv6 << probe.err;
            EXPECT_THAT(probe.out, EndsWith(kSummerLine)) << label << ipv6;
        }
    }
}

// The download takes its size from the same lookup as the probe, so a server refusing
// SIZE is downloaded from too.
TEST_F(ServerPackagesTest, ProftpdRefusingMdtmAndSizeIsDownloadedFrom) {
    const CPackageServer proftpd(PackageServerKind::Proftpd, m_served.Path().string(),
                                 {"MDTM SIZE"});
    const std::string target = m_local.File("summer.txt");
    WriteWholeFile(target, "old");
    const ToolRun get = Get(proftpd.Url("/summer.txt"), target);
    EXPECT_EQ(get.exitCode, 0) << get.out << get.err;
    EXPECT_EQ(ReadWholeFile(target), "summer\n");
}

// Without MDTM, SIZE and machine listings, the LIST line tells the time to the minute.
TEST_F(ServerPackagesTest, ProftpdListLineGivesTheMinute) {
    const int64_t recent = (std::time(nullptr) / 60 - int64_t{10} * 24 * 60) * 60 + 37;
    Serve("recent.txt", "recent", recent);
    const CPackageServer proftpd(PackageServerKind::Proftpd, m_served.Path().string(),
                                 {"MDTM SIZE MLSD MLST"});
    const ToolRun probe = Probe(proftpd.Url("/recent.txt"));
    EXPECT_EQ(probe.exitCode, 0) << probe.err;
    EXPECT_THAT(probe.out, HasSubstr("\ntime: " + std::to_string(recent - 37) + " ")) << probe.out;
}

TEST_F(ServerPackagesTest, ProftpdRefusingPassiveModeIsReadInActiveMode) {
    const CPackageServer proftpd(PackageServerKind::Proftpd, m_served.Path().string(),
                                 {"PASV EPSV"});
    const std::string target = m_local.File("summer.txt");
    const ToolRun get = Get(proftpd.Url("/summer.txt"), target);
    EXPECT_EQ(get.exitCode, 0) << get.out << get.err;
    EXPECT_EQ(ReadWholeFile(target), "summer\n");
    const ToolRun probe = Probe(proftpd.Url("/summer.txt"));
    EXPECT_EQ(probe.exitCode, 0) << probe.err;
    EXPECT_THAT(probe.out, EndsWith(kSummerLine));
}

// A machine listing without the time of last change leaves a server refusing MDTM without
// a time: the probe fails with its box, in the user's language, never a success without a
// time.
TEST_F(ServerPackagesTest, ProftpdListingWithoutTimesFailsWithItsBox) {
    const CPackageServer proftpd(PackageServerKind::Proftpd, m_served.Path().string(), {"MDTM"},
                                 "type size perm");
    const ToolRun english = Probe(proftpd.Url("/summer.txt"));
    EXPECT_EQ(english.exitCode, 1);
    EXPECT_EQ(english.err,
              "FTP connection error: The server gives no time of last change for /summer.txt\n");
    setenv("LANG", "fr_FR.UTF-8", 1);
    const ToolRun french = Probe(proftpd.Url("/summer.txt"));
    setenv("LANG", "C", 1);
    EXPECT_EQ(french.exitCode, 1);
    EXPECT_EQ(french.err,
              "Erreur de connexion FTP: Le serveur ne donne pas l'heure de derni\xC3\xA8re "
              "modification de /summer.txt\n");
}

// A file the user may not read, or one in a folder the user may not enter, is there: its
// probe and download fail without saying it is missing. A folder is not a file.
TEST_F(ServerPackagesTest, ProftpdDeniedAccessIsNotAbsence) {
    Serve("private.txt", "private");
    chmod(m_served.File("private.txt").c_str(), 0600);
    std::filesystem::create_directory(m_served.File("open"));
    std::filesystem::create_directory(m_served.File("closed"));
    WriteWholeFile(m_served.File("closed") + "/inside.txt", "inside");
    chmod(m_served.File("closed").c_str(), 0700);

    for (const std::vector<std::string>& denied : {std::vector<std::string>{}, {"MDTM SIZE"}}) {
        const std::string label = denied.empty() ? "plain" : denied[0];
        const CPackageServer proftpd(PackageServerKind::Proftpd, m_served.Path().string(), denied);

        const std::string target = m_local.File("target.txt");
        WriteWholeFile(target, "old");
        for (const std::string path : {"/private.txt", "/closed/inside.txt"}) {
            const ToolRun get = Get(proftpd.Url(path), target);
            EXPECT_EQ(get.exitCode, 1) << label << path;
            EXPECT_THAT(get.out, StartsWith("Internet Exception Error ")) << label << path;
            EXPECT_EQ(ReadWholeFile(target), "old") << label << path;
        }
        const ToolRun closed = Probe(proftpd.Url("/closed/inside.txt"));
        EXPECT_EQ(closed.exitCode, 1) << label;
        EXPECT_THAT(closed.err, Not(HasSubstr("NOT found"))) << label << closed.err;
        EXPECT_THAT(closed.err, HasSubstr("Permission denied")) << label << closed.err;

        for (const std::string path : {"/missing.txt", "/nowhere/missing.txt", "/open/missing.txt",
                                       "/summer.txt/missing.txt", "/open/", "/nowhere/"}) {
            const ToolRun missing = Probe(proftpd.Url(path));
            EXPECT_EQ(missing.exitCode, 1) << label << path;
            EXPECT_EQ(missing.err, "File NOT found on Server: " + path + "\n") << label << path;
        }
    }
}

TEST_F(ServerPackagesTest, WebServersGiveExactTimesAndFollowRedirects) {
    for (const PackageServerKind kind : {PackageServerKind::Nginx, PackageServerKind::Lighttpd}) {
        const CPackageServer server(kind, m_served.Path().string());
        const std::string label = server.Url("");
        for (const std::string path : {"/files/summer.txt", "/redirect/summer.txt"}) {
            for (const bool ipv6 : {false, true}) {
                const ToolRun probe = Probe(server.Url(path, ipv6));
                EXPECT_EQ(probe.exitCode, 0) << label << path << ipv6 << probe.err;
                EXPECT_THAT(probe.out, EndsWith(kSummerLine)) << label << path << ipv6;
            }
            const std::string target = m_local.File("summer.txt");
            std::filesystem::remove(target);
            const ToolRun get = Get(server.Url(path), target);
            EXPECT_EQ(get.exitCode, 0) << label << path << get.out;
            EXPECT_EQ(ReadWholeFile(target), "summer\n") << label << path;
        }
    }
}

TEST_F(ServerPackagesTest, WebServersAnswerWithoutLastModifiedAndNginxInChunks) {
    std::string content;
    for (int line = 0; content.size() < 200000; ++line) {
        content += "line " + std::to_string(line) + "\n";
    }
    Serve("long.txt", content, kSummerTime);
    for (const PackageServerKind kind : {PackageServerKind::Nginx, PackageServerKind::Lighttpd}) {
        const CPackageServer server(kind, m_served.Path().string());
        const std::string label = server.Url("");
        const ToolRun noTime = Probe(server.Url("/nolm/summer.txt"));
        EXPECT_EQ(noTime.exitCode, 1) << label;
        EXPECT_THAT(noTime.err, StartsWith("ERROR: HTTP Query Info failed: "))
            << label << noTime.err;

        const std::string target = m_local.File("long.txt");
        std::filesystem::remove(target);
        const ToolRun get = Get(server.Url("/nolm/long.txt"), target);
        EXPECT_EQ(get.exitCode, 0) << label << get.out;
        EXPECT_TRUE(ReadWholeFile(target) == content) << label;
    }

    const CPackageServer nginx(PackageServerKind::Nginx, m_served.Path().string());
    const ToolRun chunked = Probe(nginx.Url("/chunked/long.txt"));
    EXPECT_EQ(chunked.exitCode, 0) << chunked.err;
    EXPECT_THAT(chunked.out, EndsWith(kSummerLine));
    const std::string target = m_local.File("long.txt");
    std::filesystem::remove(target);
    const ToolRun get = Get(nginx.Url("/chunked/long.txt"), target);
    EXPECT_EQ(get.exitCode, 0) << get.out;
    EXPECT_TRUE(ReadWholeFile(target) == content);
}

// Names as users type them, with blanks and accented letters (UTF-8), or already
// percent-encoded: the address carries them encoded and every server finds the file, also
// through its listing and through a redirect.
TEST_F(ServerPackagesTest, NamesWithBlanksAndAccentsAreProbedAndDownloaded) {
    struct Name {
        std::string typed;
        std::string encoded;
    };
    const Name names[] = {{"a b.txt", "a%20b.txt"},
                          {"\xC3\xA9t\xC3\xA9 2026.txt", "%C3%A9t%C3%A9%202026.txt"}};
    for (const Name& name : names) {
        Serve(name.typed, name.typed + "\n", kSummerTime);
    }
    const std::string root = m_served.Path().string();
    const CPackageServer proftpd(PackageServerKind::Proftpd, root);
    const CPackageServer listing(PackageServerKind::Proftpd, root, {"MDTM SIZE"});
    const CPackageServer lineOnly(PackageServerKind::Proftpd, root, {"MDTM SIZE MLSD MLST"});
    const CPackageServer nginx(PackageServerKind::Nginx, root);
    const CPackageServer lighttpd(PackageServerKind::Lighttpd, root);
    struct Place {
        const CPackageServer& server;
        std::string folder;
        bool exactTime;
    };
    const Place places[] = {{proftpd, "/", true},          {listing, "/", true},
                            {lineOnly, "/", false},        {nginx, "/files/", true},
                            {nginx, "/redirect/", true},   {lighttpd, "/files/", true},
                            {lighttpd, "/redirect/", true}};
    const std::string target = m_local.File("target.txt");
    for (const Place& place : places) {
        for (const Name& name : names) {
            for (const std::string& written : {name.typed, name.encoded}) {
                const std::string address = place.server.Url(place.folder + written, true);
                const ToolRun probe = Probe(address);
                EXPECT_EQ(probe.exitCode, 0) << address << probe.err;
                EXPECT_THAT(probe.out, HasSubstr("\nobject: " + place.folder + name.encoded + "\n"))
                    << address;
                if (place.exactTime) {
                    EXPECT_THAT(probe.out, EndsWith(kSummerLine)) << address;
                }
            }
            // Both forms make the same request: the typed one is downloaded.
            const std::string address = place.server.Url(place.folder + name.typed, true);
            std::filesystem::remove(target);
            const ToolRun get = Get(address, target);
            EXPECT_EQ(get.exitCode, 0) << address << get.out;
            EXPECT_EQ(ReadWholeFile(target), name.typed + "\n") << address;
        }
    }
}

// 256 MB over an older original arrive byte for byte from each server, over https too.
TEST_F(ServerPackagesTest, LargeFileArrivesWholeFromProftpdAndNginx) {
    const std::string served = m_served.File("large.bin");
    WriteLargeFile(served, kLargeFileMegabytes);
    const CTlsCertificates& certificates = CTlsCertificates::Get();
    setenv("SSL_CERT_FILE", certificates.CaFile().c_str(), 1);
    const CPackageServer proftpd(PackageServerKind::Proftpd, m_served.Path().string());
    const CPackageServer nginx(PackageServerKind::Nginx, m_served.Path().string(),
                               {certificates.Certificate(CTlsCertificates::Kind::Good),
                                certificates.Key(CTlsCertificates::Kind::Good), false});
    const std::string target = m_local.File("large.bin");
    for (const std::string& address : {proftpd.Url("/large.bin"), nginx.Url("/files/large.bin"),
                                       nginx.SecureUrl("/files/large.bin")}) {
        WriteWholeFile(target, "old");
        const ToolRun get = Get(address, target);
        EXPECT_EQ(get.exitCode, 0) << address << get.out;
        EXPECT_EQ(std::filesystem::file_size(target), kLargeFileMegabytes * kMegabyte) << address;
        EXPECT_TRUE(SameBytes(target, served)) << address;
    }
    unsetenv("SSL_CERT_FILE");
}

// A list whose elements point at these servers, checked as cron would check it: every
// element finds its new version and copies it over its original, and the saved list then
// knows it; the next run finds nothing new and leaves the originals alone.
TEST_F(ServerPackagesTest, CheckedListCopiesEachCopyOnceThenFindsNothingNew) {
    const std::string accented = "\xC3\xA9t\xC3\xA9 2026.txt";
    Serve("a b.txt", "blank\n", kSummerTime);
    Serve(accented, "accented\n", kSummerTime);
    const std::string root = m_served.Path().string();
    const CPackageServer proftpd(PackageServerKind::Proftpd, root);
    const CPackageServer listing(PackageServerKind::Proftpd, root, {"MDTM SIZE"});
    const CPackageServer nginx(PackageServerKind::Nginx, root);
    const CPackageServer lighttpd(PackageServerKind::Lighttpd, root);
    struct Watched {
        std::string copy;
        std::string served;
        int32_t mode;
    };
    const Watched watched[] = {
        {proftpd.Url("/summer.txt"), "summer.txt", CHECK_FILE_TIME},
        {listing.Url("/" + accented, true), accented, CHECK_EXISTENCE},
        {nginx.Url("/files/a b.txt"), "a b.txt", CHECK_FILE_TIME},
        {nginx.Url("/redirect/" + accented, true), accented, CHECK_EXISTENCE},
        {lighttpd.Url("/files/" + accented), accented, CHECK_FILE_TIME},
        {lighttpd.Url("/redirect/a b.txt", true), "a b.txt", CHECK_EXISTENCE},
    };
    ElemList list;
    for (const Watched& entry : watched) {
        auto elem = std::make_unique<CKelElem>();
        elem->m_strDescription = entry.copy;
        elem->m_nCheckMode = entry.mode;
        elem->m_nWhen = WHEN_ON_DEMAND;
        elem->m_nAction = ACTION_COPY_NEW;
        elem->m_strCopy = entry.copy;
        elem->m_strOriginal = m_local.File("original " + std::to_string(list.size()));
        elem->m_strFtpUser = "user";
        elem->m_strFtpPassword = "secret";
        WriteFileAt(elem->m_strOriginal, "old", 1000000000);
        list.push_back(std::move(elem));
    }
    const std::string database = m_local.File("watch.MVN");
    RecordingMessageBoxes boxes;
    bool modified = true;
    ASSERT_TRUE(SaveDatabase(database, modified, list, boxes));
    WriteWholeFile(m_local.File("watch.INI"), "[Config]\nInternetProbeHost=\n");
    const auto originalsMatch = [&] {
        for (size_t i = 0; i < list.size(); ++i) {
            EXPECT_TRUE(SameBytes(list[i]->m_strOriginal, m_served.File(watched[i].served)))
                << watched[i].copy;
        }
    };

    const ToolRun first = Run({"check", "--all", "--apply", "--save", database});
    EXPECT_EQ(first.exitCode, 0) << first.err;
    EXPECT_EQ(CheckStates(first.out), std::vector<std::string>(6, "New version found !"))
        << first.out;
    std::string completed;
    for (size_t i = 0; i < list.size(); ++i) {
        completed += "Internet Download Completed Successfully\n";
    }
    EXPECT_EQ(first.err, completed);
    originalsMatch();

    const ToolRun second = Run({"check", "--all", "--apply", "--save", database});
    EXPECT_EQ(second.exitCode, 0) << second.err;
    EXPECT_EQ(CheckStates(second.out), std::vector<std::string>(6, "No new version."))
        << second.out;
    EXPECT_EQ(second.err, "");
    originalsMatch();
}

}  // namespace
