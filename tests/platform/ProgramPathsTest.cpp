#include "platform/ProgramPaths.h"

#include "ScopedVariable.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

TEST(ProgramPaths, SettingsAndListFollowTheProgramName) {
    const ProgramPaths watch = PathsForProgram("/opt/tools/watch.exe", true);
    EXPECT_EQ(watch.settingsFile, "/opt/tools/watch.INI");
    EXPECT_EQ(watch.databaseFile, "/opt/tools/watch.MVN");

    const ProgramPaths other = PathsForProgram("/opt/tools/other", true);
    EXPECT_EQ(other.settingsFile, "/opt/tools/other.INI");
    EXPECT_EQ(other.databaseFile, "/opt/tools/other.MVN");

    // Only the last extension goes.
    EXPECT_EQ(PathsForProgram("/a/my.tool.bin", true).databaseFile, "/a/my.tool.MVN");
    EXPECT_EQ(WithExtension("/data/list.MVN", "INI"), "/data/list.INI");
}

TEST(ProgramPaths, UnwritableProgramFolderMovesFilesToXdgFolders) {
    TempDir home;
    setenv("XDG_CONFIG_HOME", home.File("config").c_str(), 1);
    setenv("XDG_DATA_HOME", home.File("data").c_str(), 1);
    const ProgramPaths paths = PathsForProgram("/usr/bin/morvane", false);
    EXPECT_EQ(paths.settingsFile, home.File("config") + "/morvane/morvane.INI");
    EXPECT_EQ(paths.databaseFile, home.File("data") + "/morvane/morvane.MVN");
    EXPECT_TRUE(std::filesystem::is_directory(home.File("data") + "/morvane"));

    unsetenv("XDG_CONFIG_HOME");
    unsetenv("XDG_DATA_HOME");
    // The folder goes with the test; a home that is not there would send later trash tests
    // to another trash.
    const ScopedVariable testHome("HOME", home.Path().string());
    EXPECT_EQ(PathsForProgram("/usr/bin/watch", false).databaseFile,
              home.File(".local/share/morvane/watch.MVN"));
}

TEST(ProgramPaths, ProgramInSystemFolderKeepsUserFilesInXdgFolders) {
    TempDir home;
    setenv("XDG_CONFIG_HOME", home.File("config").c_str(), 1);
    setenv("XDG_DATA_HOME", home.File("data").c_str(), 1);
    // The tests run as root, for whom /usr/bin is writable: the folder alone decides.
    for (const char* program : {"/usr/bin/morvane", "/usr/local/bin/morvane", "/bin/morvane"}) {
        const ProgramPaths paths = PathsForProgram(program);
        EXPECT_EQ(paths.settingsFile, home.File("config") + "/morvane/morvane.INI") << program;
        EXPECT_EQ(paths.databaseFile, home.File("data") + "/morvane/morvane.MVN") << program;
    }
    // Anywhere else a writable folder keeps them beside the program.
    const ProgramPaths beside = PathsForProgram(home.File("morvane"));
    EXPECT_EQ(beside.settingsFile, home.File("morvane.INI"));
    EXPECT_EQ(beside.databaseFile, home.File("morvane.MVN"));
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("XDG_DATA_HOME");

    for (const char* folder : {"/usr", "/usr/bin", "/usr/lib/morvane", "/bin", "/usr/local/bin/"}) {
        EXPECT_TRUE(IsSystemFolder(folder)) << folder;
    }
    for (const char* folder :
         {"/usrx/bin", "/binaries", "/usr/../home/user", "/opt/morvane/bin", "usr/bin", "/"}) {
        EXPECT_FALSE(IsSystemFolder(folder)) << folder;
    }
}

TEST(ProgramPaths, CurrentProgramFileIsThisTest) {
    EXPECT_EQ(std::filesystem::path(CurrentProgramFile()).filename(), "platform_tests");
}

}  // namespace
