#include "core/WindowListFile.h"

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
#include <functional>

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

    void Load() {
        m_file = CWindowListFile();
        m_list.clear();
        m_path = m_listPath;
        m_file.Load(m_path, m_modified, m_list, m_boxes);
    }
    bool SaveChanged(ElemList list) {
        m_list = std::move(list);
        m_modified = true;
        return m_file.Save(m_path, m_modified, m_list, m_boxes, kNow);
    }
    RecordingMessageBoxes::Box LastBox() const { return m_boxes.Boxes().back(); }

    static inline const TimeValue kNow = LocalTimeValue(2026, 12, 7, 10, 15, 42);
    TempDir m_dir;
    const std::string m_listPath = m_dir.File("watch.MVN");
    const std::string m_keptPath = m_listPath + ".unreadable-20261207-101542";
    std::string m_path;
    bool m_modified = false;
    ElemList m_list;
    RecordingMessageBoxes m_boxes;
    CWindowListFile m_file;
};

TEST_F(WindowListFile, AListChangedOnDiskIsReplacedOnlyAfterYes) {
    const std::string loaded = ArchiveOf({"loaded"});
    const std::string theirs = ArchiveOf({"theirs"});
    const auto replaced = [&] { WriteFileAtomically(m_listPath, theirs, 0600); };
    const auto writtenInPlace = [&] {
        // The same size and the same second: only the nanoseconds of its time tell it.
        const std::optional<FileStamp> before = StampOf(m_listPath);
        WriteWholeFile(m_listPath, theirs);
        const timespec times[2] = {
            {0, UTIME_OMIT},
            {before->changedSeconds, (before->changedNanoseconds + 1) % 1000000000}};
        utimensat(AT_FDCWD, m_listPath.c_str(), times, 0);
    };
    const auto removed = [&] { fs::remove(m_listPath); };
    for (const auto& [change, fileAtLoad] : {std::pair{std::function<void()>(replaced), true},
                                             {writtenInPlace, true},
                                             {removed, true},
                                             {replaced, false}}) {
        fs::remove(m_listPath);
        if (fileAtLoad) {
            WriteWholeFile(m_listPath, loaded);
        }
        Load();
        change();
        const std::string onDisk = ReadWholeFile(m_listPath);
        const size_t before = m_boxes.Boxes().size();
        m_boxes.AnswerNext(BoxAnswer::No);
        EXPECT_FALSE(SaveChanged(Elements({"ours"})));
        ASSERT_EQ(m_boxes.Boxes().size(), before + 1);
        EXPECT_EQ(LastBox().text, m_listPath +
                                      " has been changed by another program since this window "
                                      "read or saved it.\n\nReplace it with the list of this "
                                      "window ?");
        EXPECT_EQ(LastBox().buttons, BoxButtons::YesNo);
        EXPECT_EQ(ReadWholeFile(m_listPath), onDisk);
        EXPECT_TRUE(m_modified);
    }
    m_boxes.AnswerNext(BoxAnswer::Yes);
    EXPECT_TRUE(SaveChanged(Elements({"ours"})));
    EXPECT_EQ(ReadWholeFile(m_listPath), ArchiveOf({"ours"}));
    // From then on the file is the window's: no question.
    const size_t answered = m_boxes.Boxes().size();
    EXPECT_TRUE(SaveChanged(Elements({"ours", "more"})));
    EXPECT_EQ(m_boxes.Boxes().size(), answered);
}

TEST_F(WindowListFile, AListThatCannotBeReadOrOpenedIsKeptByTheFirstSave) {
    const std::string whole = ArchiveOf({"one", "two", "three"});
    const std::string damaged = whole.substr(0, whole.size() - 5);
    for (const bool openable : {true, false}) {
        fs::remove(m_listPath);
        fs::remove(m_keptPath);
        if (openable) {
            WriteWholeFile(m_listPath, damaged);
        } else {
            ASSERT_EQ(mkfifo(m_listPath.c_str(), 0600), 0);
        }
        Load();
        EXPECT_EQ(LastBox().text, std::string(openable ? "Cannot read" : "Cannot open") +
                                      " database file\nThe file " + m_listPath +
                                      " will be kept: the first Save renames it beside itself, "
                                      "then writes the list in its place.");
        EXPECT_EQ(LastBox().caption, "ERROR");
        EXPECT_EQ(m_list.size(), openable ? 2u : 0u);

        // An empty list saves nothing and moves nothing.
        EXPECT_TRUE(SaveChanged({}));
        EXPECT_FALSE(fs::exists(m_keptPath));

        EXPECT_TRUE(SaveChanged(Elements({"one", "two"})));
        EXPECT_EQ(ReadWholeFile(m_listPath), ArchiveOf({"one", "two"}));
        EXPECT_EQ(LastBox().text, "The list file that could not be read is kept as " + m_keptPath +
                                      ".\nThe list is saved in " + m_listPath + ".");
        EXPECT_EQ(LastBox().caption, "<application>");
        if (openable) {
            EXPECT_EQ(ReadWholeFile(m_keptPath), damaged);
        } else {
            EXPECT_TRUE(fs::is_fifo(m_keptPath));
        }
    }
    // A name already taken: nothing is moved, nothing overwritten.
    WriteWholeFile(m_listPath, damaged);
    Load();
    EXPECT_FALSE(SaveChanged(Elements({"new"})));
    EXPECT_EQ(LastBox().text, "Cannot create database file");
    EXPECT_TRUE(m_modified);
    EXPECT_EQ(ReadWholeFile(m_listPath), damaged);
    EXPECT_TRUE(fs::is_fifo(m_keptPath));
}

}  // namespace
