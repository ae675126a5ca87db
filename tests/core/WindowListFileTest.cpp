#include "core/WindowListFile.h"

#include "core/Database.h"
#include "core/ElemArchive.h"
#include "files/FileReplacement.h"
#include "i18n/MessageCatalogue.h"
#include "i18n/MessageTables.h"

#include "CheckFakes.h"
#include "RecordingMessageBoxes.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

ElemList Elements(std::initializer_list<const char*> descriptions) {
    ElemList list;
    for (const char* description : descriptions) {
        list.push_back(std::make_unique<CKelElem>());
        list.back()->m_strDescription = description;
    }
    return list;
}

std::string ArchiveOf(std::initializer_list<const char*> descriptions) {
    return WriteElemArchive(Elements(descriptions));
}

class WindowListFile : public testing::Test {
protected:
    static void SetUpTestSuite() {
        RecordingMessageBoxes ignored;
        RegisterShippedLanguages(TheCatalogue(), ignored);
    }
    void SetUp() override { TheCatalogue().SetCurrentLcid(kLcidEnglish); }

    void Load() { m_file.Load(m_path, m_modified, m_list, m_boxes); }
    bool SaveChanged() {
        m_modified = 1;
        return m_file.Save(m_path, m_modified, m_list, m_boxes, kNow);
    }
    size_t BoxCount() const { return m_boxes.Boxes().size(); }
    RecordingMessageBoxes::Box LastBox() const { return m_boxes.Boxes().back(); }

    static inline const TimeValue kNow = LocalTimeValue(2026, 12, 7, 10, 15, 42);
    TempDir m_dir;
    const std::string m_listPath = m_dir.File("watch.MVN");
    std::string m_path = m_listPath;
    int32_t m_modified = 0;
    ElemList m_list;
    RecordingMessageBoxes m_boxes;
    CWindowListFile m_file;
};

TEST_F(WindowListFile, SavesWithoutAQuestionWhileNobodyElseWrites) {
    Load();
    m_list = Elements({"first"});
    EXPECT_TRUE(SaveChanged());
    m_list = Elements({"first", "second"});
    EXPECT_TRUE(SaveChanged());
    EXPECT_EQ(ReadWholeFile(m_listPath), ArchiveOf({"first", "second"}));
    // The empty list removes the file, and the next save creates it again.
    m_list.clear();
    EXPECT_TRUE(SaveChanged());
    EXPECT_FALSE(fs::exists(m_listPath));
    m_list = Elements({"third"});
    EXPECT_TRUE(SaveChanged());
    EXPECT_EQ(BoxCount(), 0u);
}

TEST_F(WindowListFile, AnotherWritersFileIsReplacedOnlyAfterYes) {
    WriteWholeFile(m_listPath, ArchiveOf({"loaded"}));
    Load();
    const std::string theirs = ArchiveOf({"theirs", "written", "since"});
    ASSERT_EQ(WriteFileAtomically(m_listPath, theirs, 0600), FileWriteStatus::Ok);
    m_list = Elements({"ours"});

    m_boxes.AnswerNext(kAnswerNo);
    EXPECT_FALSE(SaveChanged());
    ASSERT_EQ(BoxCount(), 1u);
    EXPECT_EQ(LastBox().text, m_listPath +
                                  " has been changed by another program since this window read "
                                  "or saved it.\n\nReplace it with the list of this window ?");
    EXPECT_EQ(LastBox().caption, "<application>");
    EXPECT_EQ(LastBox().buttons, BoxButtons::YesNo);
    EXPECT_EQ(ReadWholeFile(m_listPath), theirs);
    EXPECT_EQ(m_modified, 1);

    m_boxes.AnswerNext(kAnswerYes);
    EXPECT_TRUE(SaveChanged());
    EXPECT_EQ(ReadWholeFile(m_listPath), ArchiveOf({"ours"}));
    EXPECT_EQ(m_modified, 0);
    // Its own file is the window's again.
    EXPECT_TRUE(SaveChanged());
    EXPECT_EQ(BoxCount(), 2u);
}

TEST_F(WindowListFile, EveryKindOfChangeOnDiskAsks) {
    const std::string loaded = ArchiveOf({"loaded"});
    const auto writtenInPlace = [&] {
        // The same size and the same second: only the nanoseconds of its time tell it.
        const std::optional<FileStamp> before = StampOf(m_listPath);
        WriteWholeFile(m_listPath, ArchiveOf({"LOADED"}));
        const timespec times[2] = {
            {0, UTIME_OMIT},
            {before->changedSeconds, (before->changedNanoseconds + 1) % 1000000000}};
        utimensat(AT_FDCWD, m_listPath.c_str(), times, 0);
    };
    const auto removed = [&] { fs::remove(m_listPath); };
    const auto created = [&] { WriteWholeFile(m_listPath, loaded); };
    for (const auto& [change, fileAtLoad] : {std::pair{std::function<void()>(writtenInPlace), true},
                                             {removed, true},
                                             {created, false}}) {
        SCOPED_TRACE(fileAtLoad ? "a file at load" : "no file at load");
        fs::remove(m_listPath);
        if (fileAtLoad) {
            WriteWholeFile(m_listPath, loaded);
        }
        m_file = CWindowListFile();
        m_list.clear();
        Load();
        change();
        const size_t before = BoxCount();
        m_list = Elements({"ours"});
        m_boxes.AnswerNext(kAnswerNo);
        EXPECT_FALSE(SaveChanged());
        EXPECT_EQ(BoxCount(), before + 1);
        EXPECT_EQ(LastBox().buttons, BoxButtons::YesNo);
    }
}

TEST_F(WindowListFile, UnreadableListIsKeptAndTheFirstSaveMovesItAside) {
    const std::string whole = ArchiveOf({"one", "two", "three"});
    const std::string damaged = whole.substr(0, whole.size() - 5);
    WriteWholeFile(m_listPath, damaged);
    Load();
    ASSERT_EQ(BoxCount(), 1u);
    EXPECT_EQ(LastBox().text, "Cannot read database file\nThe file " + m_listPath +
                                  " will be kept: the first Save renames it beside itself, then "
                                  "writes the list in its place.");
    EXPECT_EQ(LastBox().caption, "ERROR");
    EXPECT_EQ(m_list.size(), 2u);
    EXPECT_TRUE(m_path.empty());

    // An empty list saves nothing, and keeps the file where it is.
    std::vector<std::unique_ptr<CKelElem>> loaded = std::move(m_list);
    EXPECT_TRUE(SaveChanged());
    EXPECT_EQ(ReadWholeFile(m_listPath), damaged);
    EXPECT_EQ(BoxCount(), 1u);

    m_list = std::move(loaded);
    EXPECT_TRUE(SaveChanged());
    const std::string keptAs = m_listPath + ".unreadable-20261207-101542";
    EXPECT_EQ(ReadWholeFile(keptAs), damaged);
    EXPECT_EQ(ReadWholeFile(m_listPath), ArchiveOf({"one", "two"}));
    EXPECT_EQ(m_path, m_listPath);
    ASSERT_EQ(BoxCount(), 2u);
    EXPECT_EQ(LastBox().text, "The list file that could not be read is kept as " + keptAs +
                                  ".\nThe list is saved in " + m_listPath + ".");
    EXPECT_EQ(LastBox().caption, "<application>");

    // From then on the list saves as any other.
    m_list.pop_back();
    EXPECT_TRUE(SaveChanged());
    EXPECT_EQ(ReadWholeFile(m_listPath), ArchiveOf({"one"}));
    EXPECT_EQ(BoxCount(), 2u);
}

TEST_F(WindowListFile, UnopenableListIsMovedAsideToo) {
    ASSERT_EQ(mkfifo(m_listPath.c_str(), 0600), 0);
    Load();
    ASSERT_EQ(BoxCount(), 1u);
    EXPECT_TRUE(LastBox().text.starts_with("Cannot open database file\nThe file " + m_listPath));
    m_list = Elements({"new"});
    EXPECT_TRUE(SaveChanged());
    EXPECT_TRUE(fs::is_fifo(m_listPath + ".unreadable-20261207-101542"));
    EXPECT_EQ(ReadWholeFile(m_listPath), ArchiveOf({"new"}));
}

TEST_F(WindowListFile, UnreadableListThatCannotBeMovedIsNeitherMovedNorOverwritten) {
    WriteWholeFile(m_listPath, "damaged");
    WriteWholeFile(m_listPath + ".unreadable-20261207-101542", "kept earlier");
    Load();
    m_list = Elements({"new"});
    EXPECT_FALSE(SaveChanged());
    EXPECT_EQ(LastBox().text, "Cannot create database file");
    EXPECT_EQ(m_modified, 1);
    EXPECT_EQ(ReadWholeFile(m_listPath), "damaged");
    EXPECT_EQ(ReadWholeFile(m_listPath + ".unreadable-20261207-101542"), "kept earlier");
}

}  // namespace
