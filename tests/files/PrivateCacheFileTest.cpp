#include "files/FileReplacement.h"
#include "files/PrivateCacheFile.h"
#include "files/TemporaryFiles.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(lstat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

// The folder is made private whether it was missing or open to others; the file is the
// owner's alone, keeps its path and permissions through a replacement, and goes with the
// object.
TEST(PrivateCacheFile, PrivateFileInAPrivateFolderGoesWithTheObject) {
    TempDir dir;
    const std::string fresh = dir.File("cache/deeper/morvane");
    const std::string open = dir.File("open");
    fs::create_directory(open);
    ASSERT_EQ(chmod(open.c_str(), 0755), 0);
    for (const std::string& folder : {fresh, open}) {
        SCOPED_TRACE(folder);
        std::string path;
        {
            CPrivateCacheFile file;
            ASSERT_TRUE(file.Create(folder, "view-", "-notes.txt"));
            path = file.Path();
            const std::string name = fs::path(path).filename().string();
            EXPECT_EQ(fs::path(path).parent_path(), folder);
            EXPECT_EQ(name.size(), std::string("view-XXXXXX-notes.txt").size());
            EXPECT_TRUE(name.starts_with("view-") && name.ends_with("-notes.txt")) << name;
            EXPECT_EQ(ModeOf(folder), 0700u);
            EXPECT_EQ(ModeOf(path), 0600u);
            EXPECT_EQ(ReadWholeFile(path), "");

            CFileReplacement replacement(path);
            ASSERT_TRUE(replacement.Open() && replacement.Write("bytes", 5) &&
                        replacement.Commit());
            EXPECT_EQ(ReadWholeFile(path), "bytes");
            EXPECT_EQ(ModeOf(path), 0600u);
        }
        EXPECT_FALSE(fs::exists(path));
        EXPECT_TRUE(fs::is_empty(folder));
    }
}

// Anything but a folder of ours at the folder's path is refused, and nothing is made there.
TEST(PrivateCacheFile, RefusesAFolderThatCannotBeMadePrivate) {
    TempDir dir;
    const std::string elsewhere = dir.File("elsewhere");
    fs::create_directory(elsewhere);
    const std::string link = dir.File("link");
    fs::create_directory_symlink(elsewhere, link);
    const std::string file = dir.File("file");
    WriteWholeFile(file, "a file");
    for (const std::string& folder : {link, file}) {
        SCOPED_TRACE(folder);
        CPrivateCacheFile cache;
        EXPECT_FALSE(cache.Create(folder, "view-", ""));
    }
    EXPECT_TRUE(fs::is_empty(elsewhere));
    EXPECT_EQ(ReadWholeFile(file), "a file");
}

// A termination signal, or the end of the process at once, removes the file.
TEST(PrivateCacheFile, EndOfTheProcessRemovesIt) {
    TempDir dir;
    for (const bool bySignal : {true, false}) {
        SCOPED_TRACE(bySignal ? "SIGTERM" : "ended at once");
        const std::string folder = dir.File(bySignal ? "signal" : "ended");
        const pid_t pid = fork();
        if (pid == 0) {
            RemoveTemporaryFilesOnTerminationSignals();
            CPrivateCacheFile file;
            if (!file.Create(folder, "view-", "-x.txt")) {
                _exit(3);
            }
            if (bySignal) {
                raise(SIGTERM);
            }
            EndProcessAtOnce(0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        if (bySignal) {
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
        } else {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        }
        ASSERT_TRUE(fs::is_directory(folder));
        EXPECT_TRUE(fs::is_empty(folder));
    }
}

}  // namespace
