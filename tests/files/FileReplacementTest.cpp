#include "files/FileReplacement.h"
#include "files/TemporaryFiles.h"

#include "SpecialFiles.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <string_view>

namespace fs = std::filesystem;

namespace {

using Names = std::vector<std::string>;

bool Replace(const std::string& path, const std::string& bytes) {
    return WriteFileAtomically(path, bytes, 0600) == FileWriteStatus::Ok;
}

// A writer that ends, as a killed process does, between writing and renaming.
void LeaveTemporaryBehind(const std::string& path) {
    const pid_t pid = fork();
    if (pid == 0) {
        CFileReplacement file(path);
        _exit(file.Open() && file.Write("left", 4) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

struct stat StatOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(lstat(path.c_str(), &info), 0) << path;
    return info;
}

TEST(FileReplacement, RefusesEveryTargetThatIsNotARegularFile) {
    TempDir dir;
    for (const SpecialFile& file : MakeSpecialFiles(dir.Path())) {
        SCOPED_TRACE(file.kind);
        const Names before = NamesIn(dir.Path());
        const FileIdentity identity = IdentityOf(file.path);
        CFileReplacement replacement(file.path);
        EXPECT_FALSE(replacement.Open());
        EXPECT_EQ(replacement.Error(), file.kind.ends_with("folder") ? EISDIR : EINVAL);
        EXPECT_EQ(WriteFileAtomically(file.path, "x", 0600), FileWriteStatus::CreateFailed);
        EXPECT_FALSE(RemoveReplaceableFile(file.path));
        EXPECT_EQ(IdentityOf(file.path), identity);
        EXPECT_EQ(NamesIn(dir.Path()), before);
    }
    EXPECT_TRUE(fs::is_empty(dir.Path() / "folder"));
}

// Read-only even for the superuser, as a file without any write permission is.
TEST(FileReplacement, ReadOnlyFilesAreNeitherReplacedNorRemoved) {
    TempDir dir;
    for (const mode_t mode : {0400, 0444, 0555}) {
        SCOPED_TRACE(mode);
        const std::string path = dir.File("read-only");
        WriteWholeFile(path, "kept");
        ASSERT_EQ(chmod(path.c_str(), mode), 0);
        CFileReplacement replacement(path);
        EXPECT_FALSE(replacement.Open());
        EXPECT_EQ(replacement.Error(), EACCES);
        EXPECT_FALSE(RemoveReplaceableFile(path));
        EXPECT_EQ(ReadWholeFile(path), "kept");
        EXPECT_EQ(StatOf(path).st_mode & 07777, mode);
        EXPECT_EQ(NamesIn(dir.Path()), Names{"read-only"});
        fs::remove(path);
    }
}

TEST(FileReplacement, LinksAreFollowedToTheFileTheyName) {
    TempDir dir;
    const std::string real = dir.File("real");
    WriteWholeFile(real, "old");
    fs::create_directory(dir.Path() / "sub");
    // A chain of an absolute and a relative link.
    fs::create_symlink("../middle", dir.Path() / "sub" / "first");
    fs::create_symlink(real, dir.Path() / "middle");
    EXPECT_TRUE(Replace(dir.File("sub/first"), "new"));
    EXPECT_EQ(ReadWholeFile(real), "new");
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "sub" / "first"));
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "middle"));

    // Removal removes the file, not the link, which is then created through.
    EXPECT_TRUE(RemoveReplaceableFile(dir.File("sub/first")));
    EXPECT_FALSE(fs::exists(real));
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "middle"));
    EXPECT_TRUE(Replace(dir.File("sub/first"), "again"));
    EXPECT_EQ(ReadWholeFile(real), "again");
    EXPECT_EQ(NamesIn(dir.Path()), (Names{"middle", "real", "sub"}));

    fs::create_symlink("loop-b", dir.Path() / "loop-a");
    fs::create_symlink("loop-a", dir.Path() / "loop-b");
    CFileReplacement loop(dir.File("loop-a"));
    EXPECT_FALSE(loop.Open());
    EXPECT_EQ(loop.Error(), ELOOP);
}

TEST(FileReplacement, NamesUpToTheLimitAreReplacedWhole) {
    TempDir dir;
    for (const size_t length : {200, 239, 240, 250, 255}) {
        SCOPED_TRACE(length);
        const std::string path = dir.File(std::string(length, 'n'));
        WriteWholeFile(path, "old");
        EXPECT_TRUE(Replace(path, "new"));
        EXPECT_EQ(ReadWholeFile(path), "new");
        LeaveTemporaryBehind(path);
        EXPECT_EQ(NamesIn(dir.Path()).size(), 2u);
        EXPECT_TRUE(Replace(path, "newer"));
        EXPECT_EQ(NamesIn(dir.Path()), Names{std::string(length, 'n')});
        fs::remove(path);
    }
}

TEST(FileReplacement, NextWriteRemovesLeftOversOfItsOwnTargetOnly) {
    TempDir dir;
    // Two long names that differ only past the part a temporary name can keep.
    const std::string list = dir.File("list.mvn");
    const std::string longA = dir.File(std::string(254, 'l') + "a");
    const std::string longB = dir.File(std::string(254, 'l') + "b");
    for (const std::string& path : {list, longA, longB}) {
        LeaveTemporaryBehind(path);
    }
    const Names leftOvers = NamesIn(dir.Path());
    ASSERT_EQ(leftOvers.size(), 3u);

    EXPECT_TRUE(Replace(list, "list"));
    EXPECT_EQ(NamesIn(dir.Path()).size(), 3u);
    EXPECT_TRUE(Replace(longA, "a"));
    EXPECT_EQ(NamesIn(dir.Path()).size(), 3u);  // longB's left-over is still there
    EXPECT_TRUE(Replace(longB, "b"));
    const Names targets{"list.mvn", std::string(254, 'l') + "a", std::string(254, 'l') + "b"};
    EXPECT_EQ(NamesIn(dir.Path()), targets);

    // A temporary file that a running writer still holds is not a left-over.
    CFileReplacement running(list);
    ASSERT_TRUE(running.Open());
    ASSERT_TRUE(running.Write("running", 7));
    EXPECT_TRUE(Replace(list, "meanwhile"));
    EXPECT_TRUE(running.Commit());
    EXPECT_EQ(ReadWholeFile(list), "running");
    EXPECT_EQ(NamesIn(dir.Path()), targets);
}

TEST(FileReplacement, FailedOrAbandonedReplacementLeavesTheTargetAndNoTemporaryFile) {
    TempDir dir;
    const std::string path = dir.File("target");
    WriteWholeFile(path, "old");
    {
        CFileReplacement abandoned(path);
        ASSERT_TRUE(abandoned.Open());
        ASSERT_TRUE(abandoned.Write("half", 4));
    }
    EXPECT_EQ(NamesIn(dir.Path()), Names{"target"});

    // The file-size limit reached: an ordinary write failure, not the end of the process.
    IgnoreFileSizeLimitSignal();
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit small{100, saved.rlim_max};
    setrlimit(RLIMIT_FSIZE, &small);
    const FileWriteStatus status = WriteFileAtomically(path, std::string(500, 'x'), 0600);
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(status, FileWriteStatus::WriteFailed);
    EXPECT_EQ(ReadWholeFile(path), "old");
    EXPECT_EQ(NamesIn(dir.Path()), Names{"target"});

    EXPECT_EQ(WriteFileAtomically("", "x", 0600), FileWriteStatus::CreateFailed);
    EXPECT_EQ(WriteFileAtomically(dir.File("missing/target"), "x", 0600),
              FileWriteStatus::CreateFailed);
    EXPECT_EQ(WriteFileAtomically(dir.File("target/inside"), "x", 0600),
              FileWriteStatus::CreateFailed);
}

// Several times the step at which the file is flushed while it is written.
std::string LargeContent() {
    std::string bytes(size_t{56} << 20, '\0');
    for (size_t i = 0; i < bytes.size(); i += 4096) {
        bytes[i] = static_cast<char>(i >> 12);
    }
    return bytes;
}

bool WriteInPieces(CFileReplacement& file, std::string_view bytes) {
    constexpr size_t kPiece = size_t{300} * 1024;  // not a divisor of a flush step
    for (size_t at = 0; at < bytes.size(); at += kPiece) {
        if (!file.Write(bytes.data() + at, std::min(kPiece, bytes.size() - at))) {
            return false;
        }
    }
    return true;
}

TEST(FileReplacement, LargeFilesFlushedWhileWrittenCommitWholeOrLeaveNoTrace) {
    TempDir dir;
    const std::string path = dir.File("large");
    const std::string bytes = LargeContent();
    {
        CFileReplacement file(path);
        ASSERT_TRUE(file.Open());
        ASSERT_TRUE(WriteInPieces(file, bytes));
        EXPECT_TRUE(file.Commit());
    }
    EXPECT_TRUE(ReadWholeFile(path) == bytes);
    EXPECT_EQ(NamesIn(dir.Path()), Names{"large"});

    // Abandoned, or failing, after flushes have started: the target stays as it was.
    {
        CFileReplacement abandoned(path);
        ASSERT_TRUE(abandoned.Open());
        ASSERT_TRUE(WriteInPieces(abandoned, std::string_view(bytes).substr(0, 40 << 20)));
    }
    IgnoreFileSizeLimitSignal();
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit limit{rlim_t{40} << 20, saved.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
    CFileReplacement failing(path);
    const bool written = failing.Open() && WriteInPieces(failing, bytes) && failing.Commit();
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_FALSE(written);
    EXPECT_TRUE(ReadWholeFile(path) == bytes);
    EXPECT_EQ(NamesIn(dir.Path()), Names{"large"});
}

TEST(FileReplacement, PermissionsAndOwnerOfTheReplacedFileStay) {
    TempDir dir;
    const mode_t oldMask = umask(027);
    const std::string fresh = dir.File("fresh");
    CFileReplacement created(fresh);
    ASSERT_TRUE(created.Open());
    EXPECT_FALSE(fs::exists(fresh));
    EXPECT_TRUE(created.Commit());
    EXPECT_EQ(StatOf(fresh).st_mode & 07777, 0640u);
    umask(oldMask);

    ASSERT_EQ(chmod(fresh.c_str(), 0604), 0);
    CFileReplacement kept(fresh);
    ASSERT_TRUE(kept.Open());
    EXPECT_TRUE(kept.Commit());
    EXPECT_EQ(StatOf(fresh).st_mode & 07777, 0604u);
    EXPECT_TRUE(Replace(fresh, "owner only"));
    EXPECT_EQ(StatOf(fresh).st_mode & 07777, 0600u);

    if (geteuid() == 0) {
        ASSERT_EQ(chown(fresh.c_str(), 4321, 4322), 0);
        EXPECT_TRUE(Replace(fresh, "still theirs"));
        EXPECT_EQ(StatOf(fresh).st_uid, 4321u);
        EXPECT_EQ(StatOf(fresh).st_gid, 4322u);
    }
}

TEST(TemporaryFiles, RemovalInFlightTakesEveryOpenTemporaryFile) {
    TempDir dir;
    WriteWholeFile(dir.File("a"), "old a");
    CFileReplacement a(dir.File("a"));
    CFileReplacement b(dir.File("b"));
    ASSERT_TRUE(a.Open() && a.Write("new a", 5));
    ASSERT_TRUE(b.Open() && b.Write("new b", 5));
    EXPECT_EQ(NamesIn(dir.Path()).size(), 3u);

    RemoveTemporaryFilesInFlight();

    EXPECT_EQ(NamesIn(dir.Path()), Names{"a"});
    EXPECT_FALSE(a.Commit());
    EXPECT_FALSE(b.Commit());
    EXPECT_EQ(ReadWholeFile(dir.File("a")), "old a");
    EXPECT_EQ(NamesIn(dir.Path()), Names{"a"});
}

}  // namespace
