#include "app/ListClaim.h"

#include "core/Database.h"
#include "files/FileLock.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <QFileInfo>

#include <cstdlib>
#include <filesystem>
#include <optional>

namespace {

using namespace std::chrono_literals;

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

TEST_F(ListClaim, AListHeldByAHolderThatDoesNotAnswerIsNotClaimed) {
    CFileLock holder;
    ASSERT_EQ(holder.TryLock(ListLockPath(m_list)), CFileLock::Outcome::Taken);
    CListClaim claim(m_list);
    EXPECT_EQ(claim.Claim(100ms), CListClaim::Outcome::HeldElsewhere);
    // It serves nobody either.
    EXPECT_FALSE(QFileInfo::exists(ListSocketPath(m_list)));
}

}  // namespace
