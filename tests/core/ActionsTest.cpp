#include "core/Actions.h"

#include "core/KelElem.h"

#include "CheckFakes.h"
#include "SpecialFiles.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
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
    EXPECT_EQ(CopyNewOverOld(elem, elem.m_strCopy, elem.m_strOriginal, m_env.context), 1);
    EXPECT_EQ(ReadWholeFile(elem.m_strOriginal), "fresh");

    const std::string link = m_dir.File("link.txt");
    ASSERT_EQ(symlink(elem.m_strOriginal.c_str(), link.c_str()), 0);
    WriteWholeFile(elem.m_strCopy, "through the link");
    EXPECT_EQ(CopyNewOverOld(elem, elem.m_strCopy, link, m_env.context), 1);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadWholeFile(elem.m_strOriginal), "through the link");
}

TEST_F(ActionsTest, FailedLocalCopyLeavesTheOriginalAlone) {
    const CKelElem elem = Element(ACTION_COPY_NEW);
    WriteWholeFile(elem.m_strOriginal, "old");
    struct Case {
        const char* name;
        std::string source;
        std::string target;
    };
    std::filesystem::create_directory(m_dir.Path() / "folder");
    const std::string readOnly = m_dir.File("read-only.txt");
    WriteWholeFile(readOnly, "kept");
    ASSERT_EQ(chmod(readOnly.c_str(), 0444), 0);
    WriteWholeFile(elem.m_strCopy, "new");
    const Case cases[] = {
        {"missing source", m_dir.File("missing.txt"), elem.m_strOriginal},
        {"source is a folder", m_dir.File("folder"), elem.m_strOriginal},
        {"target folder missing", elem.m_strCopy, m_dir.File("nowhere/old.txt")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CopyNewOverOld(elem, c.source, c.target, m_env.context), 0);
    }
    EXPECT_EQ(ReadWholeFile(elem.m_strOriginal), "old");
    EXPECT_EQ(CopyNewOverOld(elem, elem.m_strCopy, readOnly, m_env.context), 0);
    EXPECT_EQ(ReadWholeFile(readOnly), "kept");
    EXPECT_EQ(EntriesIn(m_dir.Path()), 4u);  // old, new, folder, read-only: no leftovers
    EXPECT_TRUE(m_env.boxes.Boxes().empty());
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
        EXPECT_EQ(CopyNewOverOld(elem, elem.m_strCopy, file.path, m_env.context), 0);
        EXPECT_EQ(CopyNewOverOld(elem, file.path, elem.m_strOriginal, m_env.context), 0);
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
        EXPECT_EQ(CopyNewOverOld(elem, elem.m_strCopy, target, m_env.context), 1) << length;
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
    CViewerLauncher viewer({"no-such-viewer-here", script});
    const std::string path = m_dir.File("a file; with $blanks");

    EXPECT_EQ(RunAndWait("notepad.exe " + path, viewer), 3);
    EXPECT_EQ(ReadWholeFile(record), "[" + path + "]");
    // Never an option, whatever the viewer.
    EXPECT_EQ(RunAndWait("notepad.exe --new-window", viewer), 3);
    EXPECT_EQ(ReadWholeFile(record), "[./--new-window]");

    CViewerLauncher none({"no-such-viewer-here"});
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
    CViewerLauncher viewer({script});
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    RunAndWait("notepad.exe " + m_dir.File("copy.txt"), viewer);
    std::signal(SIGXFSZ, previous);
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
