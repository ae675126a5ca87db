#include "platform/QtTrash.h"
#include "core/Actions.h"
#include "core/KelElem.h"

#include "CheckFakes.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The real freedesktop trash of a data folder that does not exist yet, reached from a working
// folder that must stay empty.
class TrashActionTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(m_work);
        fs::current_path(m_work);
        setenv("XDG_DATA_HOME", m_data.c_str(), 1);
    }
    void TearDown() override { fs::current_path(m_previous); }

    TempDir m_dir;
    const fs::path m_data = m_dir.Path() / "data";
    const fs::path m_work = m_dir.Path() / "work";
    const fs::path m_previous = fs::current_path();
    CheckFixture m_env;
    CQtTrash m_trash;
    CheckContext m_context{m_env.clock, m_env.notice, m_env.wait, m_env.remote,
                           m_trash,     m_env.viewer, m_env.boxes};
};

// Both delete actions land in the trash after the question that names the file.
TEST_F(TrashActionTest, DeleteActionsLandInTheTrash) {
    CKelElem elem;
    elem.m_strOriginal = m_dir.File("old.txt");
    elem.m_strCopy = m_dir.File("new file.txt");
    WriteWholeFile(elem.m_strOriginal, "old");
    WriteWholeFile(elem.m_strCopy, "new");

    m_env.boxes.AnswerNext(BoxAnswer::No);
    elem.m_nAction = ACTION_DELETE_OLD;
    PerformAction(elem, m_context);
    EXPECT_TRUE(fs::exists(elem.m_strOriginal));

    m_env.boxes.AnswerNext(BoxAnswer::Yes);
    PerformAction(elem, m_context);
    m_env.boxes.AnswerNext(BoxAnswer::Yes);
    elem.m_nAction = ACTION_DELETE_NEW;
    PerformAction(elem, m_context);

    EXPECT_FALSE(fs::exists(elem.m_strOriginal));
    EXPECT_FALSE(fs::exists(elem.m_strCopy));
    EXPECT_EQ(ReadWholeFile((m_data / "Trash/files/old.txt").string()), "old");
    EXPECT_EQ(ReadWholeFile((m_data / "Trash/files/new file.txt").string()), "new");
    EXPECT_TRUE(fs::exists(m_data / "Trash/info/old.txt.trashinfo"));
    EXPECT_TRUE(fs::is_empty(m_work));
    const std::vector<std::string> named{elem.m_strOriginal, elem.m_strOriginal, elem.m_strCopy};
    const std::vector<RecordingMessageBoxes::Box> boxes = m_env.boxes.Boxes();
    ASSERT_EQ(boxes.size(), named.size());
    for (size_t i = 0; i < named.size(); ++i) {
        const auto& box = boxes[i];
        EXPECT_EQ(box.text,
                  "Are you sure you want to move this file to the trash ?\n\n" + named[i]);
        EXPECT_EQ(box.caption, "Delete file");
        EXPECT_EQ(box.icon, BoxIcon::Question);
        EXPECT_EQ(box.buttons, BoxButtons::YesNo);
        EXPECT_EQ(box.owner, BoxOwner::MainWindow);
    }

    // The French question names the file too; a "%" in the path is text, not a format.
    TheCatalogue().SetCurrentLcid(kLcidFrench);
    WriteWholeFile(m_dir.File("100%s d'essai.txt"), "kept");
    m_env.boxes.AnswerNext(BoxAnswer::No);
    EXPECT_FALSE(DeleteToRecycleBin(m_dir.File("100%s d'essai.txt"), m_env.boxes, m_trash));
    EXPECT_EQ(m_env.boxes.Boxes().back().text,
              "Etes vous s\xC3\xBBr de vouloir mettre ce fichier \xC3\xA0 la corbeille ?\n\n" +
                  m_dir.File("100%s d'essai.txt"));
    EXPECT_EQ(m_env.boxes.Boxes().back().caption, "Suppression du fichier");
    TheCatalogue().SetCurrentLcid(kLcidEnglish);
}

// A remote copy or a file that is not there is refused before the question, and a trash that
// refuses is reported: each in an error box that names the file. Nothing is deleted.
TEST_F(TrashActionTest, ActionsThatCannotBeDoneSaySo) {
    struct Case {
        std::string copy;
        std::string original;
        int32_t action;
        std::string box;
    };
    // No traffic: nothing listens on port 1, and nothing is sent.
    const std::string http = "http://127.0.0.1:1/new.txt";
    const std::string ftp = "ftp://127.0.0.1:1/new.txt";
    const std::string missing = m_dir.File("missing.txt");
    const Case cases[] = {
        {http, "", ACTION_DELETE_NEW, http + " is a remote copy: it cannot be sent to the trash."},
        {ftp, "", ACTION_DELETE_NEW, ftp + " is a remote copy: it cannot be sent to the trash."},
        {http, missing, ACTION_DELETE_OLD,
         missing + " does not exist: there is nothing to send to the trash."},
        {missing, "", ACTION_DELETE_NEW,
         missing + " does not exist: there is nothing to send to the trash."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.box);
        CKelElem elem;
        elem.m_strCopy = c.copy;
        elem.m_strOriginal = c.original;
        elem.m_nAction = c.action;
        const size_t before = m_env.boxes.Boxes().size();
        m_env.boxes.AnswerNext(BoxAnswer::Yes);  // were the question asked
        PerformAction(elem, m_context);
        const auto boxes = m_env.boxes.Boxes();
        ASSERT_EQ(boxes.size(), before + 1);
        EXPECT_EQ(boxes.back().text, c.box);
        EXPECT_EQ(boxes.back().caption, "ERROR");
        EXPECT_EQ(boxes.back().icon, BoxIcon::Error);
        EXPECT_EQ(boxes.back().owner, BoxOwner::MainWindow);
    }
    EXPECT_FALSE(fs::exists(m_data / "Trash"));

    // A file where the trash folder should be: the trash cannot take anything.
    fs::create_directories(m_data);
    WriteWholeFile((m_data / "Trash").string(), "not a folder");
    const std::string kept = m_dir.File("kept.txt");
    WriteWholeFile(kept, "kept");
    m_env.boxes.AnswerNext(BoxAnswer::Yes);
    EXPECT_FALSE(DeleteToRecycleBin(kept, m_env.boxes, m_trash));
    const auto boxes = m_env.boxes.Boxes();
    ASSERT_EQ(boxes.size(), std::size(cases) + 2);
    EXPECT_EQ(boxes[std::size(cases)].icon, BoxIcon::Question);
    EXPECT_EQ(boxes.back().text, "The trash refused " + kept + ": the file stays where it is.");
    EXPECT_EQ(boxes.back().caption, "ERROR");
    EXPECT_EQ(boxes.back().owner, BoxOwner::MainWindow);
    EXPECT_EQ(ReadWholeFile(kept), "kept");
    EXPECT_TRUE(fs::is_empty(m_work));
}

}  // namespace
