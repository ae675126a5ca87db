#include "files/FileNames.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// The window and mvntool find the list's lock file from this name, whatever path each got.
TEST(FileNames, EveryWayOfNamingAListGivesOneCanonicalTarget) {
    TempDir dir;
    fs::create_directory(dir.File("lists"));
    fs::create_directory_symlink(dir.File("lists"), dir.File("linked-folder"));
    fs::create_symlink(dir.File("lists/watch.MVN"), dir.File("link.MVN"));
    const std::string target = (fs::canonical(dir.Path()) / "lists" / "watch.MVN").string();
    const fs::path working = fs::current_path();
    fs::current_path(dir.Path() / "lists");
    for (const std::string& path :
         {dir.File("lists/watch.MVN"), dir.File("linked-folder/watch.MVN"),
          dir.File("lists/../lists/./watch.MVN"), dir.File("link.MVN"), std::string("watch.MVN")}) {
        EXPECT_EQ(CanonicalTarget(path), target) << path;
    }
    fs::current_path(working);
}

}  // namespace
