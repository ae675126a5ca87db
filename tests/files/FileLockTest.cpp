#include "files/FileLock.h"
#include "files/FileStamp.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

namespace {

// A child process that takes the lock and keeps it until it is killed.
pid_t HoldInChild(const std::string& lockFile) {
    int ready[2];
    EXPECT_EQ(pipe(ready), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        CFileLock lock;
        const char taken = lock.TryLock(lockFile) == CFileLock::Outcome::Taken ? 'y' : 'n';
        if (write(ready[1], &taken, 1) != 1) {
            _exit(1);
        }
        for (;;) {
            pause();
        }
    }
    close(ready[1]);
    char taken = 0;
    EXPECT_EQ(read(ready[0], &taken, 1), 1);
    EXPECT_EQ(taken, 'y');
    close(ready[0]);
    return pid;
}

TEST(FileLock, OneHolderAtATimeAndTheFileStaysForTheNext) {
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
}

TEST(FileLock, AHolderKilledWithoutWarningLeavesTheLockFree) {
    TempDir dir;
    const std::string path = dir.File("watch.MVN.lock");
    const pid_t holder = HoldInChild(path);
    CFileLock lock;
    EXPECT_EQ(lock.TryLock(path), CFileLock::Outcome::Held);
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    EXPECT_EQ(lock.TryLock(path), CFileLock::Outcome::Taken);
}

TEST(FileLock, NoLockThroughALinkOnAFolderOrWhereNoFileCanBeMade) {
    TempDir dir;
    std::filesystem::create_directory(dir.File("folder.lock"));
    std::filesystem::create_symlink(dir.File("elsewhere"), dir.File("link.lock"));
    std::filesystem::create_directory(dir.File("closed"));
    chmod(dir.File("closed").c_str(), 0500);
    for (const char* name : {"folder.lock", "link.lock", "closed/watch.MVN.lock"}) {
        CFileLock lock;
        // The superuser writes into a closed folder all the same.
        if (geteuid() == 0 && std::string(name).starts_with("closed")) {
            continue;
        }
        EXPECT_EQ(lock.TryLock(dir.File(name)), CFileLock::Outcome::Unavailable) << name;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("elsewhere")));
}

TEST(FileStamp, TellsEveryChangeOfTheFileApart) {
    TempDir dir;
    const std::string path = dir.File("watch.MVN");
    EXPECT_FALSE(StampOf(path));
    WriteWholeFile(path, "first");
    const auto first = StampOf(path);
    ASSERT_TRUE(first);
    EXPECT_EQ(StampOf(path), first);

    // The same size written in place, within the same second.
    const timespec times[2] = {{0, UTIME_OMIT}, {first->changedSeconds, 1}};
    WriteWholeFile(path, "other");
    utimensat(AT_FDCWD, path.c_str(), times, 0);
    const auto inPlace = StampOf(path);
    EXPECT_NE(inPlace, first);

    // Another file put in its place, with the same size and times.
    WriteWholeFile(dir.File("new"), "other");
    utimensat(AT_FDCWD, dir.File("new").c_str(), times, 0);
    std::filesystem::rename(dir.File("new"), path);
    EXPECT_NE(StampOf(path), inPlace);
}

}  // namespace
