#include "RemoteFixture.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "i18n/MessageCatalogue.h"
#include "i18n/MessageTables.h"

RemoteServers& RemoteServers::Get() {
    static RemoteServers servers;
    return servers;
}

RemoteServers::RemoteServers()
    : m_ftp(std::make_unique<CFtpTestServer>(m_root.Path().string())),
      m_http(
          std::make_unique<CHttpTestServer>(m_root.Path().string(), m_logs.File("requests.log"))) {}

std::string RemoteServers::Serve(const std::string& relativePath, const std::string& bytes,
                                 int64_t modified) const {
    const std::filesystem::path path = m_root.Path() / relativePath;
    std::filesystem::create_directories(path.parent_path());
    WriteWholeFile(path.string(), bytes);
    if (modified >= 0) {
        const timespec times[2] = {{modified, 0}, {modified, 0}};
        utimensat(AT_FDCWD, path.c_str(), times, 0);
    }
    return path.string();
}

std::string RemoteServers::FtpUrl(const std::string& path) const {
    return "ftp://127.0.0.1:" + std::to_string(m_ftp->Port()) + path;
}

void RemoteTest::SetUp() {
    static bool registered = false;
    if (!registered) {
        RecordingMessageBoxes ignored;
        RegisterShippedLanguages(TheCatalogue(), ignored);
        registered = true;
    }
    TheCatalogue().SetCurrentLcid(kLcidEnglish);
}

const ProbeResult& RemoteTest::Show(const ProbeResult& result) {
    if (result.message) {
        ShowRemoteMessage(*result.message, boxes, BoxOwner::None);
    }
    return result;
}

std::string RemoteTest::Show(const TransferOutcome& outcome) {
    for (const RemoteMessage& box : outcome.boxes) {
        ShowRemoteMessage(box, boxes, BoxOwner::None);
    }
    return outcome.result.text;
}

std::string Pattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>('a' + (i * 7 + i / 4096) % 26);
    }
    return bytes;
}

void RemoteTest::ExpectCancelledLeaving(const TransferOutcome& outcome,
                                        const std::string& original) {
    EXPECT_EQ(outcome.result.text, "User Cancelled Download Operation");
    EXPECT_EQ(outcome.status, TransferStatus::Cancelled);
    EXPECT_EQ(ReadWholeFile(original), "old");
    EXPECT_EQ(LeftoverDownloads(std::filesystem::path(original).parent_path().string()), 0);
}

int LeftoverDownloads(const std::string& folder) {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        count += entry.path().filename().string().find(".mvn-tmp.") != std::string::npos;
    }
    return count;
}
