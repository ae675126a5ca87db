#include "core/Database.h"
#include "core/KelElem.h"

#include "RecordingMessageBoxes.h"
#include "TempDir.h"
#include "TestServers.h"
#include "ToolRun.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

class CheckCommandTest : public ::testing::Test {
protected:
    CheckCommandTest() {
        setenv("XDG_DATA_HOME", m_dir.File("data").c_str(), 1);
        // Remote elements of these tests live on this machine; a closed port would
        // report them unreachable.
        WriteWholeFile(m_dir.File("watch.INI"), "[Config]\nInternetProbeHost=\n");
    }

    // Runs `mvntool check` with `options` on the test's watch list.
    ToolRun Check(std::vector<std::string> options) {
        options.insert(options.begin(), {MVNTOOL_PATH, "check"});
        options.push_back(m_database);
        return Run(options);
    }

    ToolRun Run(std::vector<std::string> arguments) {
        return RunCaptured(std::move(arguments), m_dir);
    }

    CKelElem& Add(const std::string& description, int32_t mode, int32_t when, int32_t action) {
        auto elem = std::make_unique<CKelElem>();
        elem->m_strDescription = description;
        elem->m_nCheckMode = mode;
        elem->m_nWhen = when;
        elem->m_nAction = action;
        elem->m_strCopy = m_dir.File(description + ".new");
        elem->m_strOriginal = m_dir.File(description + ".old");
        m_list.push_back(std::move(elem));
        return *m_list.back();
    }

    void Save() {
        bool modified = true;
        ASSERT_TRUE(SaveDatabase(m_database, modified, m_list, m_boxes));
    }

    ElemList Load() {
        std::string path = m_database;
        bool modified = false;
        ElemList list;
        EXPECT_TRUE(LoadDatabase(path, modified, list, m_boxes));
        return list;
    }

    static void WriteFileAt(const std::string& path, const std::string& bytes, time_t modified) {
        WriteWholeFile(path, bytes);
        const struct timespec times[2] = {{modified, 0}, {modified, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    }

    TempDir m_dir;
    const std::string m_database = m_dir.File("watch.MVN");
    ElemList m_list;
    RecordingMessageBoxes m_boxes;
};

TEST_F(CheckCommandTest, SavedRunsReportACreationOnce) {
    CKelElem& elem = Add("Doc", CHECK_EXISTENCE, WHEN_AT_LAUNCH, ACTION_NOTHING);
    elem.m_timeReference = 1000;
    WriteFileAt(elem.m_strCopy, "x", 5000);
    const std::string copy = elem.m_strCopy;
    Save();

    ToolRun run = Check({"--save"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out.find("File created !\n\n" + copy + "\n" + copy + "\n"), 0u) << run.out;
    EXPECT_EQ(CheckStates(run.out), std::vector<std::string>{"New version found !"});
    EXPECT_EQ(Load()[0]->m_timeReference, 5000);

    run = Check({"--save"});
    EXPECT_EQ(run.out.find("File created"), std::string::npos) << run.out;
    EXPECT_EQ(CheckStates(run.out), std::vector<std::string>{"No new version."});

    // Without --save the moved reference time is forgotten.
    WriteFileAt(copy, "y", 6000);
    EXPECT_EQ(CheckStates(Check({}).out), std::vector<std::string>{"New version found !"});
    EXPECT_EQ(CheckStates(Check({}).out), std::vector<std::string>{"New version found !"});
}

TEST_F(CheckCommandTest, LaunchElementsOrAll) {
    Add("launch", CHECK_DESTRUCTION, WHEN_AT_LAUNCH, ACTION_NOTHING);
    Add("demand", CHECK_DESTRUCTION, WHEN_ON_DEMAND, ACTION_NOTHING);
    Add("permanent", CHECK_DESTRUCTION, WHEN_PERMANENT, ACTION_NOTHING);
    Save();

    ToolRun run = Check({});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(CheckStates(run.out),
              (std::vector<std::string>{"New version found !", "Not checked.", "Not checked."}));
    EXPECT_NE(run.out.find("1\tdemand\tNot checked.\t \n"), std::string::npos) << run.out;

    run = Check({"--all"});
    EXPECT_EQ(CheckStates(run.out), std::vector<std::string>(3, "New version found !"));
}

TEST_F(CheckCommandTest, ActionsRunOnlyWithApply) {
    CKelElem& copy = Add("copy", CHECK_FILE_TIME, WHEN_AT_LAUNCH, ACTION_COPY_NEW);
    WriteFileAt(copy.m_strCopy, "new", 2000);
    WriteFileAt(copy.m_strOriginal, "old", 1000);
    CKelElem& view = Add("view", CHECK_ABSOLUTE_TIME, WHEN_AT_LAUNCH, ACTION_VIEW_NEW);
    view.m_strCopy = m_dir.File("with blank.txt");
    WriteFileAt(view.m_strCopy, "v", 2000);
    CKelElem& trash = Add("trash", CHECK_ABSOLUTE_TIME, WHEN_AT_LAUNCH, ACTION_DELETE_NEW);
    WriteFileAt(trash.m_strCopy, "t", 2000);
    const CKelElem copyElem = copy;
    const CKelElem viewElem = view;
    const CKelElem trashElem = trash;
    Save();

    ToolRun run = Check({});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(ReadWholeFile(copyElem.m_strOriginal), "old");
    EXPECT_TRUE(std::filesystem::exists(trashElem.m_strCopy));
    EXPECT_EQ(run.out.find("notepad.exe"), std::string::npos);
    EXPECT_NE(run.out.find("New file version found !\n\n" + copyElem.m_strCopy +
                           "\n\nUse Ok to COPY the new file !\n"),
              std::string::npos)
        << run.out;

    run = Check({"--apply"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ReadWholeFile(copyElem.m_strOriginal), "new");
    EXPECT_NE(run.out.find("\nnotepad.exe " + viewElem.m_strCopy + "\n"), std::string::npos)
        << run.out;
    EXPECT_NE(
        run.err.find("Delete file: Are you sure you want to move this file to the trash ?\n\n" +
                     trashElem.m_strCopy),
        std::string::npos)
        << run.err;
    EXPECT_FALSE(std::filesystem::exists(trashElem.m_strCopy));
    EXPECT_TRUE(std::filesystem::exists(m_dir.File("data/Trash/files/trash.new")));
}

// Closing a notice from the command line is nobody's decision to switch the element off.
TEST_F(CheckCommandTest, SavingKeepsPermanentElementsActive) {
    CKelElem& elem = Add("permanent", CHECK_ABSOLUTE_TIME, WHEN_PERMANENT, ACTION_COPY_NEW);
    WriteFileAt(elem.m_strCopy, "x", 2000);
    CKelElem& off = Add("off", CHECK_ABSOLUTE_TIME, WHEN_PERMANENT, ACTION_COPY_NEW);
    off.m_bActive = 0;
    Save();

    const ToolRun run = Check({"--all", "--save"});
    EXPECT_EQ(CheckStates(run.out),
              (std::vector<std::string>{"New version found !", "Not checked."}));
    const ElemList saved = Load();
    EXPECT_EQ(saved[0]->m_bActive, 1);
    EXPECT_EQ(saved[1]->m_bActive, 0);
}

TEST_F(CheckCommandTest, SpeaksTheLanguageOfTheSettings) {
    Add("doc", CHECK_EXISTENCE, WHEN_AT_LAUNCH, ACTION_NOTHING);
    Save();
    WriteWholeFile(m_dir.File("watch.INI"), "[Config]\nLanguage=FR\nInternetProbeHost=\n");
    EXPECT_EQ(CheckStates(Check({}).out), std::vector<std::string>{"Pas de nouvelle version"});
}

TEST_F(CheckCommandTest, FailuresAndUsage) {
    ToolRun run = Check({});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find(m_database), std::string::npos) << run.err;
    EXPECT_TRUE(run.out.empty());

    WriteWholeFile(m_database, "not a watch list");
    run = Check({});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("ERROR"), std::string::npos) << run.err;
    EXPECT_TRUE(run.out.empty());

    EXPECT_EQ(Check({"--now"}).exitCode, 2);
    EXPECT_EQ(Run({MVNTOOL_PATH, "check"}).exitCode, 2);
    EXPECT_EQ(Run({MVNTOOL_PATH, "check", "a.MVN", "b.MVN"}).exitCode, 2);
}

// A check that could not be made reads "Check failed: REASON" and makes the exit status 3;
// an element that was not due is no failure.
TEST_F(CheckCommandTest, FailedChecksAreNamedAndGiveExitStatusThree) {
    CKelElem& local = Add("local", CHECK_ABSOLUTE_TIME, WHEN_AT_LAUNCH, ACTION_NOTHING);
    local.m_timeReference = 0x7fffffff;
    WriteFileAt(local.m_strCopy, "x", 1000);
    CKelElem& down = Add("down", CHECK_ABSOLUTE_TIME, WHEN_ON_DEMAND, ACTION_NOTHING);
    down.m_strCopy = "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/report.pdf";
    Save();

    ToolRun run = Check({});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(CheckStates(run.out), (std::vector<std::string>{"No new version.", "Not checked."}));

    run = Check({"--all"});
    EXPECT_EQ(run.exitCode, 3) << run.err;
    const std::string failed = "Check failed: HTTP Send Request failed: 7";
    EXPECT_EQ(CheckStates(run.out), (std::vector<std::string>{"No new version.", failed}));
    EXPECT_NE(run.err.find("ERROR: HTTP connection error"), std::string::npos) << run.err;

    WriteWholeFile(m_dir.File("watch.INI"), "[Config]\nLanguage=FR\nInternetProbeHost=\n");
    run = Check({"--all", "--save"});
    EXPECT_EQ(run.exitCode, 3) << run.err;
    EXPECT_EQ(CheckStates(run.out),
              (std::vector<std::string>{"Pas de nouvelle version",
                                        "Échec de la vérification : Echec de l'envoi de requète "
                                        "HTTP : 7"}));
    EXPECT_EQ(Load()[1]->m_nState, STATE_NOT_CHECKED) << "the list file keeps no failure";
}

// As cron would run it against real servers: the notices without --apply, the downloads
// with it; a local copy between the two. The remote copies are asked side by side, yet the
// notices, the downloads and the lines come in the list's order.
TEST_F(CheckCommandTest, CopiesFromFtpAndHttpServers) {
    TempDir served;
    TempDir logs;
    const CFtpTestServer ftp(served.Path().string());
    const CHttpTestServer http(served.Path().string(), logs.File("requests.log"));
    const std::string content(20000, 'c');
    WriteFileAt(served.File("cron.bin"), content, 1013336160);
    CKelElem& byFtp = Add("ftp", CHECK_FILE_TIME, WHEN_AT_LAUNCH, ACTION_COPY_NEW);
    byFtp.m_strCopy = "ftp://127.0.0.1:" + std::to_string(ftp.Port()) + "/cron.bin";
    byFtp.m_strFtpUser = "user";
    byFtp.m_strFtpPassword = "secret";
    const CKelElem& local = Add("local", CHECK_FILE_TIME, WHEN_AT_LAUNCH, ACTION_COPY_NEW);
    WriteFileAt(local.m_strCopy, content, 1013336160);
    CKelElem& byHttp = Add("http", CHECK_FILE_TIME, WHEN_AT_LAUNCH, ACTION_COPY_NEW);
    byHttp.m_strCopy = http.Url("/files/cron.bin");
    const std::vector<std::string> originals{byFtp.m_strOriginal, local.m_strOriginal,
                                             byHttp.m_strOriginal};
    for (const std::string& original : originals) {
        WriteFileAt(original, "old", 1000000000);
    }
    Save();
    WriteWholeFile(m_dir.File("watch.INI"),
                   "[Config]\nInternetProbeHost=127.0.0.1:" + std::to_string(http.Port()) + "\n");

    ToolRun run = Check({});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(CheckStates(run.out), std::vector<std::string>(3, "New version found !"));
    EXPECT_TRUE(run.err.empty()) << run.err;
    const size_t ftpNotice = run.out.find(byFtp.m_strCopy);
    const size_t localNotice = run.out.find(local.m_strCopy);
    EXPECT_LT(ftpNotice, localNotice);
    EXPECT_LT(localNotice, run.out.find(byHttp.m_strCopy));
    for (const std::string& original : originals) {
        EXPECT_EQ(ReadWholeFile(original), "old");
    }

    run = Check({"--apply"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err,
              "Internet Download Completed Successfully\n"
              "Internet Download Completed Successfully\n");
    for (const std::string& original : originals) {
        EXPECT_EQ(ReadWholeFile(original), content);
    }
}

}  // namespace
