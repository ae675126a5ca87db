#include "files/FileNames.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// Runs in `folder` while it lives.
class WorkingFolder {
public:
    explicit WorkingFolder(const fs::path& folder) : m_previous(fs::current_path()) {
        fs::current_path(folder);
    }
    ~WorkingFolder() { fs::current_path(m_previous); }

private:
    fs::path m_previous;
};

TEST(FileNames, EveryWayOfNamingAListGivesOneCanonicalTarget) {
    TempDir dir;
    fs::create_directory(dir.File("lists"));
    fs::create_directory_symlink(dir.File("lists"), dir.File("linked-folder"));
    fs::create_symlink(dir.File("lists/watch.MVN"), dir.File("link.MVN"));
    const std::string target = (fs::canonical(dir.Path()) / "lists" / "watch.MVN").string();

    // The file need not exist yet: a first run has none.
    EXPECT_EQ(CanonicalTarget(dir.File("lists/watch.MVN")), target);
    EXPECT_EQ(CanonicalTarget(dir.File("linked-folder/watch.MVN")), target);
    EXPECT_EQ(CanonicalTarget(dir.File("lists/../lists/./watch.MVN")), target);
    EXPECT_EQ(CanonicalTarget(dir.File("link.MVN")), target);
    const WorkingFolder working(dir.Path() / "lists");
    EXPECT_EQ(CanonicalTarget("watch.MVN"), target);
    EXPECT_EQ(CanonicalTarget(dir.File("missing/watch.MVN")), dir.File("missing/watch.MVN"));
}

TEST(FileNames, MoveAsideRenamesTheFileALinkNamesAndNeverReplacesOne) {
    TempDir dir;
    WriteWholeFile(dir.File("watch.MVN"), "damaged");
    fs::create_symlink("watch.MVN", dir.File("link.MVN"));
    std::string movedTo;
    ASSERT_TRUE(MoveAside(dir.File("link.MVN"), ".aside", movedTo));
    EXPECT_EQ(movedTo, dir.File("watch.MVN.aside"));
    EXPECT_EQ(ReadWholeFile(movedTo), "damaged");
    EXPECT_FALSE(fs::exists(dir.File("watch.MVN")));
    EXPECT_TRUE(fs::is_symlink(dir.File("link.MVN")));

    WriteWholeFile(dir.File("watch.MVN"), "second");
    movedTo.clear();
    EXPECT_FALSE(MoveAside(dir.File("watch.MVN"), ".aside", movedTo));
    EXPECT_EQ(errno, EEXIST);
    EXPECT_TRUE(movedTo.empty());
    EXPECT_EQ(ReadWholeFile(dir.File("watch.MVN")), "second");
    EXPECT_EQ(ReadWholeFile(dir.File("watch.MVN.aside")), "damaged");

    EXPECT_FALSE(MoveAside(dir.File("none.MVN"), ".aside", movedTo));
    EXPECT_EQ(errno, ENOENT);
}

}  // namespace
