#include "core/Database.h"

#include "core/ElemArchive.h"
#include "core/FileReading.h"
#include "i18n/MessageCatalogue.h"
#include "i18n/MessageTables.h"

#include "ExampleLists.h"
#include "RecordingMessageBoxes.h"
#include "SpecialFiles.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>

#include <sys/resource.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

ElemList OneElement(const std::string& description) {
    ElemList list;
    list.push_back(std::make_unique<CKelElem>());
    list.back()->m_strDescription = description;
    return list;
}

unsigned PermissionsOf(const std::string& path) {
    struct stat info {};
    stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

// The files of a folder: a save must leave no temporary file behind.
size_t FileCount(const fs::path& folder) {
    return static_cast<size_t>(std::distance(fs::directory_iterator(folder), {}));
}

// Files larger than `bytes` cannot be written while it lives, as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, m_saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        EXPECT_NE(std::signal(SIGXFSZ, m_oldHandler), SIG_ERR);
    }

private:
    rlimit m_saved{};
    void (*m_oldHandler)(int);
};

class Database : public testing::Test {
protected:
    static void SetUpTestSuite() {
        RecordingMessageBoxes ignored;
        RegisterShippedLanguages(TheCatalogue(), ignored);
    }
    void SetUp() override { TheCatalogue().SetCurrentLcid(kLcidEnglish); }

    // One error box owned by the main window with this text.
    void ExpectOneErrorBox(const std::string& text, const std::string& caption = "ERROR") {
        const auto shown = boxes.Boxes();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, text);
        EXPECT_EQ(shown[0].caption, caption);
        EXPECT_EQ(shown[0].icon, BoxIcon::Error);
        EXPECT_EQ(shown[0].buttons, BoxButtons::Ok);
        EXPECT_EQ(shown[0].owner, BoxOwner::MainWindow);
    }

    TempDir dir;
    RecordingMessageBoxes boxes;
    bool modified = true;
    ElemList list;
};

TEST_F(Database, MissingFileIsAnEmptyListWithoutMessage) {
    std::string path = dir.File("watch.MVN");
    EXPECT_TRUE(LoadDatabase(path, modified, list, boxes));
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(path, dir.File("watch.MVN"));
    EXPECT_FALSE(modified);
}

TEST_F(Database, LoadsTheExampleFile) {
    std::string path = ExampleListPath("example-164.mvn");
    EXPECT_TRUE(LoadDatabase(path, modified, list, boxes));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1]->m_strCopy, "/c/d.txt");
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_FALSE(modified);
}

TEST_F(Database, UnopenablePathsShowTheOpenErrorAndForgetThePath) {
    WriteWholeFile(dir.File("plain"), "x");
    mkfifo(dir.File("fifo").c_str(), 0600);
    for (const std::string name : {"", "plain/watch.MVN", "fifo"}) {
        RecordingMessageBoxes shown;
        std::string path = dir.Path() / name;  // the folder itself for ""
        bool flag = true;
        ElemList elems;
        EXPECT_FALSE(LoadDatabase(path, flag, elems, shown)) << name;
        ASSERT_EQ(shown.Boxes().size(), 1u) << name;
        EXPECT_EQ(shown.Boxes()[0].text, "Cannot open database file");
        EXPECT_TRUE(path.empty());
        EXPECT_TRUE(elems.empty());
        EXPECT_FALSE(flag);
    }
}

TEST_F(Database, DamagedFileShowsTheReadErrorAndKeepsCompleteElements) {
    std::string path = ExampleListPath("short.mvn");
    EXPECT_FALSE(LoadDatabase(path, modified, list, boxes));
    ExpectOneErrorBox("Cannot read database file");
    EXPECT_TRUE(path.empty());
    EXPECT_EQ(list.size(), 1u);
    EXPECT_FALSE(modified);
}

TEST_F(Database, ErrorTextsFollowTheCurrentLanguage) {
    TheCatalogue().SetCurrentLcid(kLcidFrench);
    std::string path = ExampleListPath("schema-2.mvn");
    LoadDatabase(path, modified, list, boxes);
    ExpectOneErrorBox(
        "Lecture de la base de donn\xC3\xA9"
        "es impossible.",
        "ERREUR");
}

TEST_F(Database, UnreadableFileIsNeverOverwrittenAfterward) {
    const std::string damaged = dir.File("watch.MVN");
    fs::copy_file(ExampleListPath("object-reference.mvn"), damaged);
    std::string path = damaged;
    LoadDatabase(path, modified, list, boxes);
    modified = true;
    EXPECT_FALSE(SaveDatabase(path, modified, list, boxes));
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[1].text, "Cannot create database file");
    EXPECT_TRUE(modified);
    EXPECT_EQ(ReadWholeFile(damaged), ReadWholeFile(ExampleListPath("object-reference.mvn")));
}

TEST_F(Database, SavesOnlyWhenModified) {
    const std::string path = dir.File("watch.MVN");
    WriteWholeFile(path, "old");
    modified = false;
    EXPECT_TRUE(SaveDatabase(path, modified, OneElement("new"), boxes));
    EXPECT_EQ(ReadWholeFile(path), "old");

    modified = true;
    const ElemList saved = OneElement("new");
    EXPECT_TRUE(SaveDatabase(path, modified, saved, boxes));
    EXPECT_EQ(ReadWholeFile(path), WriteElemArchive(saved));
    EXPECT_FALSE(modified);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(FileCount(dir.Path()), 1u);
}

TEST_F(Database, EmptyListRemovesTheFileAndIgnoresFailures) {
    const std::string path = dir.File("watch.MVN");
    WriteWholeFile(path, "old");
    for (const std::string& target : {path, path, std::string()}) {
        modified = true;
        EXPECT_TRUE(SaveDatabase(target, modified, list, boxes));
        EXPECT_FALSE(modified);
    }
    EXPECT_FALSE(fs::exists(path));
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(Database, SavedFileIsForTheOwnerOnly) {
    const std::string path = dir.File("watch.MVN");
    EXPECT_TRUE(SaveDatabase(path, modified, OneElement("fresh"), boxes));
    EXPECT_EQ(PermissionsOf(path), 0600u);

    WriteWholeFile(path, "old");
    fs::permissions(path, fs::perms(0644));
    modified = true;
    EXPECT_TRUE(SaveDatabase(path, modified, OneElement("again"), boxes));
    EXPECT_EQ(PermissionsOf(path), 0600u);
}

TEST_F(Database, SavingThroughALinkReplacesItsTarget) {
    const std::string target = dir.File("real.MVN");
    const std::string link = dir.File("watch.MVN");
    WriteWholeFile(target, "old");
    fs::create_symlink(target, link);
    const ElemList saved = OneElement("linked");
    EXPECT_TRUE(SaveDatabase(link, modified, saved, boxes));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadWholeFile(target), WriteElemArchive(saved));
}

// Saving a dangling link creates the file it names; an empty list removes that file and
// leaves the link, so no copy of the old list stays behind it.
TEST_F(Database, LinksAreSavedAndRemovedAsTheFileTheyName) {
    const std::string target = dir.File("real.MVN");
    const std::string link = dir.File("watch.MVN");
    fs::create_symlink("real.MVN", link);
    const ElemList saved = OneElement("created through");
    EXPECT_TRUE(SaveDatabase(link, modified, saved, boxes));
    EXPECT_EQ(ReadWholeFile(target), WriteElemArchive(saved));
    EXPECT_TRUE(fs::is_symlink(link));

    modified = true;
    EXPECT_TRUE(SaveDatabase(link, modified, ElemList(), boxes));
    EXPECT_FALSE(fs::exists(target));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_TRUE(boxes.Boxes().empty());
}

// Nothing but a regular file that may be written is replaced or removed: the save fails as
// opening it for writing would, and an empty list leaves it.
TEST_F(Database, OnlyAWritableRegularFileIsReplacedOrRemoved) {
    std::vector<SpecialFile> refused = MakeSpecialFiles(dir.Path());
    const std::string readOnly = dir.File("read-only.MVN");
    const std::string old = ReadWholeFile(ExampleListPath("example-164.mvn"));
    WriteWholeFile(readOnly, old);
    ASSERT_EQ(chmod(readOnly.c_str(), 0400), 0);
    refused.push_back({"read-only list", readOnly});
    for (const SpecialFile& file : refused) {
        SCOPED_TRACE(file.kind);
        const FileIdentity identity = IdentityOf(file.path);
        RecordingMessageBoxes shown;
        bool flag = true;
        EXPECT_FALSE(SaveDatabase(file.path, flag, OneElement("x"), shown));
        ASSERT_EQ(shown.Boxes().size(), 1u);
        EXPECT_EQ(shown.Boxes()[0].text, "Cannot create database file");
        EXPECT_TRUE(flag);
        EXPECT_TRUE(SaveDatabase(file.path, flag, ElemList(), shown));
        EXPECT_FALSE(flag);
        EXPECT_EQ(shown.Boxes().size(), 1u);
        EXPECT_EQ(IdentityOf(file.path), identity);
    }
    EXPECT_EQ(ReadWholeFile(readOnly), old);
    EXPECT_EQ(PermissionsOf(readOnly), 0400u);
    EXPECT_EQ(FileCount(dir.Path()), refused.size());
}

TEST_F(Database, LongListNamesAreSavedAndRead) {
    for (const size_t length : {248, 249, 250, 255}) {
        SCOPED_TRACE(length);
        const std::string path = dir.File(std::string(length - 4, 'w') + ".MVN");
        const ElemList saved = OneElement("long name");
        modified = true;
        EXPECT_TRUE(SaveDatabase(path, modified, saved, boxes));
        ElemList read;
        std::string readPath = path;
        EXPECT_TRUE(LoadDatabase(readPath, modified, read, boxes));
        ASSERT_EQ(read.size(), 1u);
        EXPECT_EQ(read[0]->m_strDescription, "long name");
        fs::remove(path);
    }
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(FileCount(dir.Path()), 0u);
}

TEST_F(Database, UncreatableFileKeepsTheModifiedFlag) {
    WriteWholeFile(dir.File("plain"), "x");
    fs::create_directory(dir.File("folder.MVN"));
    for (const std::string& path : {std::string(), dir.File("plain/watch.MVN"),
                                    dir.File("missing/watch.MVN"), dir.File("folder.MVN")}) {
        RecordingMessageBoxes shown;
        bool flag = true;
        EXPECT_FALSE(SaveDatabase(path, flag, OneElement("x"), shown)) << path;
        ASSERT_EQ(shown.Boxes().size(), 1u) << path;
        EXPECT_EQ(shown.Boxes()[0].text, "Cannot create database file");
        EXPECT_TRUE(flag);
    }
    EXPECT_TRUE(fs::is_directory(dir.File("folder.MVN")));
    EXPECT_TRUE(fs::is_empty(dir.File("folder.MVN")));
    EXPECT_EQ(FileCount(dir.Path()), 2u);
}

TEST_F(Database, FailedWriteKeepsTheOldFileWhole) {
    const std::string path = dir.File("watch.MVN");
    const std::string old = ReadWholeFile(ExampleListPath("example-164.mvn"));
    WriteWholeFile(path, old);
    {
        // The new archive is larger than the limit: the disk "fills up" part-way.
        const FileSizeLimit full(100);
        EXPECT_FALSE(SaveDatabase(path, modified, OneElement(std::string(500, 'x')), boxes));
    }
    ExpectOneErrorBox("Cannot write database file");
    EXPECT_TRUE(modified);
    EXPECT_EQ(ReadWholeFile(path), old);
    EXPECT_EQ(FileCount(dir.Path()), 1u);
}

TEST(FileReading, ReadsWholeFilesUpToTheMaximum) {
    TempDir dir;
    const std::string path = dir.File("data");
    WriteWholeFile(path, std::string(100, 'd'));
    std::string bytes;
    EXPECT_EQ(ReadFileBounded(path, 100, bytes), FileReadStatus::Ok);
    EXPECT_EQ(bytes, std::string(100, 'd'));
    EXPECT_EQ(ReadFileBounded(path, 99, bytes), FileReadStatus::TooLarge);
    EXPECT_TRUE(bytes.empty());
    // Files whose reported size is 0 are read to their end all the same.
    EXPECT_EQ(ReadFileBounded("/proc/self/status", 1 << 20, bytes), FileReadStatus::Ok);
    EXPECT_NE(bytes.find("Name:"), std::string::npos);
    EXPECT_EQ(ReadFileBounded("/proc/self/status", 10, bytes), FileReadStatus::TooLarge);
}

}  // namespace
