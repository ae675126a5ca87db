#include "files/PrivateCacheFile.h"
#include "files/TemporaryFiles.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

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
            // Only a raise that failed comes back here; its own status tells it apart.
            if (bySignal && raise(SIGTERM) != 0) {
                _exit(4);
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
