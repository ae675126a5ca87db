#include "files/FileLock.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

namespace {

TEST(FileLock, OneHolderAtATimeTheFileStaysAndNeverThroughALink) {
    TempDir dir;
    const std::string path = dir.File("watch.MVN.lock");
    {
        CFileLock first;
        ASSERT_EQ(first.TryLock(path), CFileLock::Outcome::Taken);
        CFileLock second;
        EXPECT_EQ(second.TryLock(path), CFileLock::Outcome::Held);
        struct stat info {};
        ASSERT_EQ(stat(path.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, 0600u);
    }
    EXPECT_TRUE(std::filesystem::exists(path));
    CFileLock next;
    EXPECT_EQ(next.TryLock(path), CFileLock::Outcome::Taken);

    std::filesystem::create_symlink(dir.File("elsewhere"), dir.File("link.lock"));
    CFileLock linked;
    EXPECT_EQ(linked.TryLock(dir.File("link.lock")), CFileLock::Outcome::Unavailable);
    EXPECT_FALSE(std::filesystem::exists(dir.File("elsewhere")));
}

}  // namespace
