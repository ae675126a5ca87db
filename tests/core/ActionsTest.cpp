#include "core/Actions.h"

#include "core/KelElem.h"

#include "CheckFakes.h"
#include "SpecialFiles.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>

namespace {

struct stat StatOf(const std::string& path) {
    struct stat status {};
    EXPECT_EQ(stat(path.c_str(), &status), 0) << path;
    return status;
}

size_t EntriesIn(const std::filesystem::path& folder) {
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) {
        ++count;
    }
    return count;
}

class ActionsTest : public ::testing::Test {
protected:
    CKelElem Element(int32_t action) const {
        CKelElem elem;
        elem.m_nAction = action;
        elem.m_strCopy = m_dir.File("new.txt");
        elem.m_strOriginal = m_dir.File("old.txt");
        return elem;
    }

    TempDir m_dir;
    CheckFixture m_env;
};

TEST_F(ActionsTest, LocalCopyCarriesContentTimesAndPermissions) {
    const CKelElem elem = Element(ACTION_COPY_NEW);
    WriteWholeFile(elem.m_strCopy, "new content");
    ASSERT_EQ(chmod(elem.m_strCopy.c_str(), 0640), 0);
    ASSERT_TRUE(SetFileTimes(elem.m_strCopy, 1000, 2000));
    WriteWholeFile(elem.m_strOriginal, "old");
    ASSERT_EQ(chmod(elem.m_strOriginal.c_str(), 0604), 0);

    PerformAction(elem, m_env.context);

    EXPECT_EQ(ReadWholeFile(elem.m_strOriginal), "new content");
    const struct stat target = StatOf(elem.m_strOriginal);
    EXPECT_EQ(target.st_mode & 07777, 0640u);
    EXPECT_EQ(target.st_mtim.tv_sec, 2000);
    EXPECT_EQ(target.st_atim.tv_sec, StatOf(elem.m_strCopy).st_atim.tv_sec);
    EXPECT_EQ(EntriesIn(m_dir.Path()), 2u);
    EXPECT_TRUE(m_env.boxes.Boxes().empty());
}

TEST_F(ActionsTest, LocalCopyCreatesMissingOriginalAndWritesThroughLinks) {
    CKelElem elem = Element(ACTION_COPY_NEW);
    WriteWholeFile(elem.m_strCopy, "fresh");
    EXPECT_TRUE(CopyNewOverOld(elem, elem.m_strCopy, elem.m_strOriginal, m_env.context));
    EXPECT_EQ(ReadWholeFile(elem.m_strOriginal), "fresh");

    const std::string link = m_dir.File("link.txt");
    ASSERT_EQ(symlink(elem.m_strOriginal.c_str(), link.c_str()), 0);
    WriteWholeFile(elem.m_strCopy, "through the link");
    EXPECT_TRUE(CopyNewOverOld(elem, elem.m_strCopy, link, m_env.context));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadWholeFile(elem.m_strOriginal), "through the link");
}

// Each failure says which file and why in an error box; the original stays as it was.
TEST_F(ActionsTest, FailedLocalCopySaysWhyAndLeavesTheOriginalAlone) {
    const CKelElem elem = Element(ACTION_COPY_NEW);
    WriteWholeFile(elem.m_strOriginal, "old");
    std::filesystem::create_directory(m_dir.Path() / "folder");
    const std::string readOnly = m_dir.File("read-only.txt");
    WriteWholeFile(readOnly, "kept");
    ASSERT_EQ(chmod(readOnly.c_str(), 0444), 0);
    WriteWholeFile(elem.m_strCopy, "new");
    struct Case {
        std::string source;
        std::string target;
        std::string box;
    };
    const std::string missing = m_dir.File("missing.txt");
    const std::string nowhere = m_dir.File("nowhere/old.txt");
    const Case cases[] = {
        {missing, elem.m_strOriginal,
         "Cannot read the new file " + missing + ":\nno such file or folder"},
        {m_dir.File("folder"), elem.m_strOriginal,
         "Cannot read the new file " + m_dir.File("folder") + ":\nnot a regular file"},
        {elem.m_strCopy, nowhere,
         "Cannot replace the old file " + nowhere + ":\nno such file or folder"},
        {elem.m_strCopy, readOnly,
         "Cannot replace the old file " + readOnly + ":\npermission denied"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.box);
        EXPECT_FALSE(CopyNewOverOld(elem, c.source, c.target, m_env.context));
        const auto boxes = m_env.boxes.Boxes();
        ASSERT_FALSE(boxes.empty());
        EXPECT_EQ(boxes.back().text, c.box);
        EXPECT_EQ(boxes.back().caption, "ERROR");
        EXPECT_EQ(boxes.back().icon, BoxIcon::Error);
        EXPECT_EQ(boxes.back().buttons, BoxButtons::Ok);
        EXPECT_EQ(boxes.back().owner, BoxOwner::MainWindow);
    }
    EXPECT_EQ(m_env.boxes.Boxes().size(), std::size(cases));
    EXPECT_EQ(ReadWholeFile(elem.m_strOriginal), "old");
    EXPECT_EQ(ReadWholeFile(readOnly), "kept");
    EXPECT_EQ(EntriesIn(m_dir.Path()), 4u);  // old, new, folder, read-only: no leftovers

    // A reason without a text of its own is the system's; the French box names the file too.
    TheCatalogue().SetCurrentLcid(kLcidFrench);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
    const struct rlimit oneByte = {1, limit.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &oneByte), 0);
    PerformAction(elem, m_env.context);
    setrlimit(RLIMIT_FSIZE, &limit);
    ASSERT_NE(std::signal(SIGXFSZ, previous), SIG_ERR);
    TheCatalogue().SetCurrentLcid(kLcidEnglish);
    EXPECT_EQ(m_env.boxes.Boxes().back().text, "Impossible de remplacer l'ancien fichier " +
                                                   elem.m_strOriginal + " :\n" +
                                                   std::strerror(EFBIG));
    EXPECT_EQ(m_env.boxes.Boxes().back().caption, "ERREUR");
    EXPECT_EQ(ReadWholeFile(elem.m_strOriginal), "old");
    EXPECT_EQ(EntriesIn(m_dir.Path()), 4u);
}

// Devices, FIFOs, sockets and folders are neither read nor replaced; opening a FIFO that has
// no writer does not wait for one.
TEST_F(ActionsTest, LocalCopyTakesOnlyRegularFiles) {
    const CKelElem elem = Element(ACTION_COPY_NEW);
    WriteWholeFile(elem.m_strCopy, "new");
    WriteWholeFile(elem.m_strOriginal, "old");
    const std::filesystem::path special = m_dir.Path() / "special";
    std::filesystem::create_directory(special);
    for (const SpecialFile& file : MakeSpecialFiles(special)) {
        SCOPED_TRACE(file.kind);
        const FileIdentity identity = IdentityOf(file.path);
        EXPECT_FALSE(CopyNewOverOld(elem, elem.m_strCopy, file.path, m_env.context));
        EXPECT_FALSE(CopyNewOverOld(elem, file.path, elem.m_strOriginal, m_env.context));
        EXPECT_EQ(IdentityOf(file.path), identity);
    }
    EXPECT_EQ(ReadWholeFile(elem.m_strOriginal), "old");
    EXPECT_EQ(EntriesIn(m_dir.Path()), 3u);
}

TEST_F(ActionsTest, LocalCopyOntoALongName) {
    const CKelElem elem = Element(ACTION_COPY_NEW);
    WriteWholeFile(elem.m_strCopy, "new");
    for (const size_t length : {250, 255}) {
        const std::string target = m_dir.File(std::string(length, 'o'));
        EXPECT_TRUE(CopyNewOverOld(elem, elem.m_strCopy, target, m_env.context)) << length;
        EXPECT_EQ(ReadWholeFile(target), "new") << length;
    }
    EXPECT_EQ(EntriesIn(m_dir.Path()), 3u);
}

TEST_F(ActionsTest, QuickViewRunsTheViewerWithThePathAsOneArgument) {
    const std::string record = m_dir.File("argv.txt");
    const std::string script = m_dir.File("viewer.sh");
    WriteWholeFile(script, "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]' \"$a\"; done > '" +
                               record + "'\nexit 3\n");
    ASSERT_EQ(chmod(script.c_str(), 0755), 0);
    CViewerLauncher viewer({{"no-such-viewer-here"}, {script}});
    const std::string path = m_dir.File("a file; with $blanks");

    EXPECT_EQ(viewer.FindTextViewer(), TextViewerKind::MayEndAtOnce);
    EXPECT_EQ(RunAndWait("notepad.exe " + path, viewer), 3);
    EXPECT_EQ(ReadWholeFile(record), "[" + path + "]");
    // Never an option, whatever the viewer.
    EXPECT_EQ(RunAndWait("notepad.exe --new-window", viewer), 3);
    EXPECT_EQ(ReadWholeFile(record), "[./--new-window]");
    // The option that keeps a viewer open comes first.
    CViewerLauncher waiting({{script, "--wait", true}});
    EXPECT_EQ(waiting.FindTextViewer(), TextViewerKind::StaysUntilClosed);
    EXPECT_EQ(RunAndWait("notepad.exe " + path, waiting), 3);
    EXPECT_EQ(ReadWholeFile(record), "[--wait][" + path + "]");

    CViewerLauncher none({{"no-such-viewer-here"}});
    EXPECT_EQ(none.FindTextViewer(), TextViewerKind::Missing);
    EXPECT_EQ(RunAndWait("notepad.exe " + path, none), 0);
    EXPECT_EQ(RunAndWait("no-such-program " + path, viewer), 0);
}

// The program ignores SIGXFSZ for its own writes; a viewer must not inherit that.
TEST_F(ActionsTest, QuickViewStartsTheViewerWithTheDefaultFileSizeSignal) {
    const std::string record = m_dir.File("ignored.txt");
    const std::string script = m_dir.File("viewer.sh");
    WriteWholeFile(script, "#!/bin/sh\nsed -n 's/^SigIgn:[[:space:]]*//p' /proc/$$/status > '" +
                               record + "'\n");
    ASSERT_EQ(chmod(script.c_str(), 0755), 0);
    CViewerLauncher viewer({TextViewer(script)});
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    RunAndWait("notepad.exe " + m_dir.File("copy.txt"), viewer);
    ASSERT_NE(std::signal(SIGXFSZ, previous), SIG_ERR);
    const unsigned long long ignored = std::stoull(ReadWholeFile(record), nullptr, 16);
    EXPECT_EQ(ignored & (1ULL << (SIGXFSZ - 1)), 0u);
}

TEST_F(ActionsTest, UnknownActionDoesNothing) {
    const CKelElem elem = Element(5);
    WriteWholeFile(elem.m_strCopy, "new");
    PerformAction(elem, m_env.context);
    EXPECT_FALSE(std::filesystem::exists(elem.m_strOriginal));
    EXPECT_TRUE(m_env.boxes.Boxes().empty());
    EXPECT_TRUE(m_env.trash.paths.empty());
}

}  // namespace
