#include "app/ListClaim.h"

#include "core/Database.h"
#include "files/FileLock.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QLocalSocket>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>

namespace {

using namespace std::chrono_literals;

// The socket that a holder killed with -9 leaves: bound, never removed, nobody listening.
void LeaveDeadSocket(const QString& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string name = path.toStdString();
    ASSERT_LT(name.size(), sizeof address.sun_path);
    std::memcpy(address.sun_path, name.c_str(), name.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    close(fd);
}

bool Answers(const QString& socketPath) {
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    return socket.waitForConnected(1000);
}

// The sockets go to the test's own runtime folder.
class ListClaim : public testing::Test {
protected:
    void SetUp() override {
        if (const char* runtime = std::getenv("XDG_RUNTIME_DIR")) {
            m_savedRuntime = runtime;
        }
        std::filesystem::create_directory(m_dir.File("runtime"));
        std::filesystem::permissions(m_dir.File("runtime"), std::filesystem::perms::owner_all);
        setenv("XDG_RUNTIME_DIR", m_dir.File("runtime").c_str(), 1);
    }
    void TearDown() override {
        if (m_savedRuntime) {
            setenv("XDG_RUNTIME_DIR", m_savedRuntime->c_str(), 1);
        } else {
            unsetenv("XDG_RUNTIME_DIR");
        }
    }

    TempDir m_dir;
    const std::string m_list = m_dir.File("watch.MVN");
    std::optional<std::string> m_savedRuntime;
};

TEST_F(ListClaim, OneSocketPerListWhateverItsPathInTheRuntimeFolder) {
    std::filesystem::create_symlink(m_list, m_dir.File("link.MVN"));
    const QString socket = ListSocketPath(m_list);
    EXPECT_EQ(QFileInfo(socket).path().toStdString(), m_dir.File("runtime"));
    EXPECT_EQ(ListSocketPath(m_dir.File("link.MVN")), socket);
    EXPECT_EQ(ListSocketPath(m_dir.File("./watch.MVN")), socket);
    EXPECT_NE(ListSocketPath(m_dir.File("other.MVN")), socket);
}

TEST_F(ListClaim, TheHolderKeepsTheLockAndServesInPlaceOfAKilledOne) {
    LeaveDeadSocket(ListSocketPath(m_list));
    CListClaim claim(m_list);
    ASSERT_EQ(claim.Claim(0ms), CListClaim::Outcome::Ours);
    EXPECT_TRUE(Answers(ListSocketPath(m_list)));
    CFileLock writer;
    EXPECT_EQ(writer.TryLock(ListLockPath(m_list)), CFileLock::Outcome::Held);

    // Another list is claimed beside it.
    CListClaim other(m_dir.File("other.MVN"));
    EXPECT_EQ(other.Claim(0ms), CListClaim::Outcome::Ours);
}

TEST_F(ListClaim, AListHeldByAHolderThatDoesNotAnswerIsNotClaimed) {
    CFileLock holder;
    ASSERT_EQ(holder.TryLock(ListLockPath(m_list)), CFileLock::Outcome::Taken);
    CListClaim claim(m_list);
    EXPECT_EQ(claim.Claim(100ms), CListClaim::Outcome::HeldElsewhere);
    EXPECT_FALSE(Answers(ListSocketPath(m_list)));
}

}  // namespace
