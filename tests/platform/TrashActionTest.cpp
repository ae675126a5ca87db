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

// Both delete actions against the real freedesktop trash of a data folder that does not
// exist yet, from a working folder that must stay empty.
TEST(TrashAction, DeleteActionsLandInTheTrash) {
    TempDir dir;
    const fs::path data = dir.Path() / "data";
    const fs::path work = dir.Path() / "work";
    fs::create_directory(work);
    const fs::path previous = fs::current_path();
    fs::current_path(work);
    setenv("XDG_DATA_HOME", data.c_str(), 1);

    CheckFixture env;
    CQtTrash trash;
    CheckContext context{env.clock, env.notice, env.wait, env.remote, trash, env.viewer, env.boxes};
    CKelElem elem;
    elem.m_strOriginal = dir.File("old.txt");
    elem.m_strCopy = dir.File("new file.txt");
    WriteWholeFile(elem.m_strOriginal, "old");
    WriteWholeFile(elem.m_strCopy, "new");

    env.boxes.AnswerNext(kAnswerNo);
    elem.m_nAction = ACTION_DELETE_OLD;
    PerformAction(elem, context);
    EXPECT_TRUE(fs::exists(elem.m_strOriginal));

    env.boxes.AnswerNext(kAnswerYes);
    PerformAction(elem, context);
    env.boxes.AnswerNext(kAnswerYes);
    elem.m_nAction = ACTION_DELETE_NEW;
    PerformAction(elem, context);

    fs::current_path(previous);
    EXPECT_FALSE(fs::exists(elem.m_strOriginal));
    EXPECT_FALSE(fs::exists(elem.m_strCopy));
    EXPECT_EQ(ReadWholeFile((data / "Trash/files/old.txt").string()), "old");
    EXPECT_EQ(ReadWholeFile((data / "Trash/files/new file.txt").string()), "new");
    EXPECT_TRUE(fs::exists(data / "Trash/info/old.txt.trashinfo"));
    EXPECT_TRUE(fs::is_empty(work));
    const std::vector<std::string> named{elem.m_strOriginal, elem.m_strOriginal, elem.m_strCopy};
    const std::vector<RecordingMessageBoxes::Box> boxes = env.boxes.Boxes();
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
    WriteWholeFile(dir.File("100%s d'essai.txt"), "kept");
    env.boxes.AnswerNext(kAnswerNo);
    EXPECT_EQ(DeleteToRecycleBin(dir.File("100%s d'essai.txt"), env.boxes, trash), 0);
    EXPECT_EQ(env.boxes.Boxes().back().text,
              "Etes vous s\xC3\xBBr de vouloir mettre ce fichier \xC3\xA0 la corbeille ?\n\n" +
                  dir.File("100%s d'essai.txt"));
    EXPECT_EQ(env.boxes.Boxes().back().caption, "Suppression du fichier");
    TheCatalogue().SetCurrentLcid(kLcidEnglish);
}

// A remote copy or a file that is not there is refused before the question, and a trash that
// refuses is reported: each in an error box that names the file. Nothing is deleted.
TEST(TrashAction, ActionsThatCannotBeDoneSaySo) {
    TempDir dir;
    const fs::path data = dir.Path() / "data";
    const fs::path work = dir.Path() / "work";
    fs::create_directory(work);
    const fs::path previous = fs::current_path();
    fs::current_path(work);
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    CheckFixture env;
    CQtTrash trash;
    CheckContext context{env.clock, env.notice, env.wait, env.remote, trash, env.viewer, env.boxes};
    struct Case {
        std::string copy;
        std::string original;
        int32_t action;
        std::string box;
    };
    // No traffic: nothing listens on port 1, and nothing is sent.
    const std::string http = "http://127.0.0.1:1/new.txt";
    const std::string ftp = "ftp://127.0.0.1:1/new.txt";
    const std::string missing = dir.File("missing.txt");
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
        const size_t before = env.boxes.Boxes().size();
        env.boxes.AnswerNext(kAnswerYes);  // were the question asked
        PerformAction(elem, context);
        const auto boxes = env.boxes.Boxes();
        ASSERT_EQ(boxes.size(), before + 1);
        EXPECT_EQ(boxes.back().text, c.box);
        EXPECT_EQ(boxes.back().caption, "ERROR");
        EXPECT_EQ(boxes.back().icon, BoxIcon::Error);
        EXPECT_EQ(boxes.back().owner, BoxOwner::MainWindow);
    }
    EXPECT_FALSE(fs::exists(data / "Trash"));

    // A file where the trash folder should be: the trash cannot take anything.
    fs::create_directories(data);
    WriteWholeFile((data / "Trash").string(), "not a folder");
    const std::string kept = dir.File("kept.txt");
    WriteWholeFile(kept, "kept");
    env.boxes.AnswerNext(kAnswerYes);
    EXPECT_EQ(DeleteToRecycleBin(kept, env.boxes, trash), 0);
    const auto boxes = env.boxes.Boxes();
    ASSERT_EQ(boxes.size(), std::size(cases) + 2);
    EXPECT_EQ(boxes[std::size(cases)].icon, BoxIcon::Question);
    EXPECT_EQ(boxes.back().text, "The trash refused " + kept + ": the file stays where it is.");
    EXPECT_EQ(boxes.back().caption, "ERROR");
    EXPECT_EQ(boxes.back().owner, BoxOwner::MainWindow);
    EXPECT_EQ(ReadWholeFile(kept), "kept");
    fs::current_path(previous);
    EXPECT_TRUE(fs::is_empty(work));
}

}  // namespace
