#include "ExampleLists.h"
#include "TempDir.h"
#include "ToolRun.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <thread>
#include <string>
#include <vector>

namespace {

// Runs the built mvntool with `arguments`, its output captured in files of `dir`.
ToolRun RunTool(const TempDir& dir, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), MVNTOOL_PATH);
    return RunCaptured(std::move(arguments), dir);
}

// What `dump` prints for one element of the example file.
std::string ExampleElementJson() {
    return "    {\n"
           "      \"m_strDescription\": \"Doc\",\n"
           "      \"m_nCheckMode\": 1,\n"
           "      \"m_timeReference\": 0,\n"
           "      \"m_strOriginal\": \"/a/b.txt\",\n"
           "      \"m_strCopy\": \"/c/d.txt\",\n"
           "      \"m_bSignal\": 1,\n"
           "      \"m_nAction\": 1,\n"
           "      \"m_bActive\": 1,\n"
           "      \"m_timeLastAccess\": -1,\n"
           "      \"m_nState\": 0,\n"
           "      \"m_timeAtTime\": 0,\n"
           "      \"m_nWhen\": 1,\n"
           "      \"m_strFtpUser\": \"anonymous\",\n"
           "      \"m_strFtpPassword\": \"\",\n"
           "      \"m_bFtpBinary\": 1\n"
           "    }";
}

TEST(Mvntool, WritesAndDumpsTheExampleByteForByte) {
    TempDir dir;
    const std::string example = R"({"elements": [
        {"m_strDescription": "Doc", "m_nCheckMode": 1, "m_timeReference": 0,
         "m_strOriginal": "/a/b.txt", "m_strCopy": "/c/d.txt", "m_timeAtTime": 0},
        {"m_strDescription": "Doc", "m_nCheckMode": 1, "m_timeReference": 0,
         "m_strOriginal": "/a/b.txt", "m_strCopy": "/c/d.txt", "m_timeAtTime": 0}]})";
    WriteWholeFile(dir.File("example.json"), example);
    const ToolRun write = RunTool(dir, {"write", dir.File("example.json"), dir.File("w.MVN")});
    EXPECT_EQ(write.exitCode, 0) << write.err;
    EXPECT_EQ(ReadWholeFile(dir.File("w.MVN")), ReadWholeFile(ExampleListPath("example-164.mvn")));

    const ToolRun dump = RunTool(dir, {"dump", dir.File("w.MVN")});
    EXPECT_EQ(dump.exitCode, 0);
    EXPECT_EQ(dump.out, "{\n  \"elements\": [\n" + ExampleElementJson() + ",\n" +
                            ExampleElementJson() + "\n  ]\n}\n");
    EXPECT_EQ(dump.err, "");

    // What dump prints, write takes back.
    WriteWholeFile(dir.File("dumped.json"), dump.out);
    EXPECT_EQ(RunTool(dir, {"write", dir.File("dumped.json"), dir.File("again.MVN")}).exitCode, 0);
    EXPECT_EQ(ReadWholeFile(dir.File("again.MVN")), ReadWholeFile(dir.File("w.MVN")));
}

TEST(Mvntool, DumpShowsWhatLoadingLeaves) {
    TempDir dir;
    const ToolRun missing = RunTool(dir, {"dump", dir.File("none.MVN")});
    EXPECT_EQ(missing.exitCode, 0);
    EXPECT_EQ(missing.out, "{\n  \"elements\": []\n}\n");
    EXPECT_EQ(missing.err, "");

    const ToolRun damaged = RunTool(dir, {"dump", ExampleListPath("short.mvn")});
    EXPECT_EQ(damaged.exitCode, 1);
    EXPECT_EQ(damaged.out, "{\n  \"elements\": [\n" + ExampleElementJson() + "\n  ]\n}\n");
    EXPECT_EQ(damaged.err, "ERROR: Cannot read database file\n");

    const ToolRun folder = RunTool(dir, {"dump", dir.Path().string()});
    EXPECT_EQ(folder.exitCode, 1);
    EXPECT_EQ(folder.err, "ERROR: Cannot open database file\n");
}

// Results that standard output cannot take make a failed run, said on standard error, for
// every command that prints them.
TEST(Mvntool, OutputThatCannotBeWrittenFailsTheRun) {
    TempDir dir;
    const std::string lost =
        "mvntool: cannot write the output: " + std::string(std::strerror(EBADF)) + "\n";
    const ToolRun dump =
        RunWithUnwritableOutput({MVNTOOL_PATH, "dump", ExampleListPath("example-164.mvn")}, dir);
    EXPECT_EQ(dump.exitCode, 1);
    EXPECT_EQ(dump.err, lost);

    const ToolRun probe =
        RunWithUnwritableOutput({MVNTOOL_PATH, "probe", dir.File("stdout.txt")}, dir);
    EXPECT_EQ(probe.exitCode, 1);
    EXPECT_EQ(probe.err, lost);
}

// A list of many 64 KiB blocks, cut inside an element far from the first block: the dump
// prints exactly the elements before the cut, as the dump of a list of those alone.
TEST(Mvntool, DumpOfAListDamagedFarInPrintsEveryElementBeforeTheDamage) {
    TempDir dir;
    const auto listJson = [](int count) {
        std::string json = R"({"elements": [)";
        for (int i = 0; i < count; ++i) {
            json += i ? "," : "";
            json += R"({"m_strCopy": "/srv/)";
            json += std::string(200, 'c') + std::to_string(i) + "\"}";
        }
        return json + "]}";
    };
    WriteWholeFile(dir.File("all.json"), listJson(3000));
    WriteWholeFile(dir.File("before.json"), listJson(2000));
    ASSERT_EQ(RunTool(dir, {"write", dir.File("all.json"), dir.File("all.MVN")}).exitCode, 0);
    ASSERT_EQ(RunTool(dir, {"write", dir.File("before.json"), dir.File("before.MVN")}).exitCode, 0);
    const std::string before = ReadWholeFile(dir.File("before.MVN"));
    // The first 2000 elements and half of the next; the long count of 3000 stays 16 bits.
    std::string damaged = ReadWholeFile(dir.File("all.MVN"));
    damaged.resize(before.size() + 100);
    WriteWholeFile(dir.File("damaged.MVN"), damaged);

    const ToolRun expected = RunTool(dir, {"dump", dir.File("before.MVN")});
    const ToolRun dump = RunTool(dir, {"dump", dir.File("damaged.MVN")});
    EXPECT_EQ(dump.exitCode, 1);
    EXPECT_EQ(dump.err, "ERROR: Cannot read database file\n");
    EXPECT_EQ(dump.out, expected.out);
}

TEST(Mvntool, SpeaksTheLanguageOfTheSettingsBesideTheFile) {
    TempDir dir;
    std::filesystem::copy_file(ExampleListPath("schema-2.mvn"), dir.File("watch.MVN"));
    WriteWholeFile(dir.File("watch.INI"), "[Config]\nLanguage=FR\n");
    const ToolRun dump = RunTool(dir, {"dump", dir.File("watch.MVN")});
    EXPECT_EQ(dump.exitCode, 1);
    EXPECT_EQ(dump.err,
              "ERREUR: Lecture de la base de donn\xC3\xA9"
              "es impossible.\n");
}

TEST(Mvntool, DumpShowsOtherBytesAsWindows1252AndEscapes) {
    TempDir dir;
    // One element whose description holds Latin-1 "caf\xE9", a Euro sign and a quote, tab.
    const std::string description = "caf\xE9 \x80 \"q\"\t";
    std::string bytes = ReadWholeFile(ExampleListPath("run-time-fields.mvn"));
    bytes.replace(16, 4, std::string(1, static_cast<char>(description.size())) + description);
    WriteWholeFile(dir.File("latin.MVN"), bytes);
    const ToolRun dump = RunTool(dir, {"dump", dir.File("latin.MVN")});
    EXPECT_EQ(dump.exitCode, 0) << dump.err;
    EXPECT_NE(dump.out.find("\"m_strDescription\": \"caf\xC3\xA9 \xE2\x82\xAC \\\"q\\\"\\t\","),
              std::string::npos)
        << dump.out;
}

TEST(Mvntool, WriteFillsMissingMembersAndRemovesTheFileForAnEmptyList) {
    TempDir dir;
    WriteWholeFile(dir.File("one.json"), R"({"elements": [{"m_strCopy": "/x"}]})");
    ASSERT_EQ(RunTool(dir, {"write", dir.File("one.json"), dir.File("w.MVN")}).exitCode, 0);
    const ToolRun dump = RunTool(dir, {"dump", dir.File("w.MVN")});
    EXPECT_NE(dump.out.find("\"m_nCheckMode\": 2,"), std::string::npos);
    EXPECT_NE(dump.out.find("\"m_strCopy\": \"/x\","), std::string::npos);
    EXPECT_NE(dump.out.find("\"m_strFtpUser\": \"anonymous\","), std::string::npos);

    WriteWholeFile(dir.File("empty.json"), R"({"elements": []})");
    const ToolRun write = RunTool(dir, {"write", dir.File("empty.json"), dir.File("w.MVN")});
    EXPECT_EQ(write.exitCode, 0);
    EXPECT_FALSE(std::filesystem::exists(dir.File("w.MVN")));
}

TEST(Mvntool, WriteFailuresPrintTheCatalogueText) {
    TempDir dir;
    WriteWholeFile(dir.File("one.json"), R"({"elements": [{}]})");
    const ToolRun write = RunTool(dir, {"write", dir.File("one.json"), dir.Path().string()});
    EXPECT_EQ(write.exitCode, 1);
    EXPECT_EQ(write.err, "ERROR: Cannot create database file\n");
}

TEST(Mvntool, MalformedJsonIsNamedAndLeavesTheFileUntouched) {
    TempDir dir;
    const std::string target = dir.File("w.MVN");
    WriteWholeFile(target, "old content");
    const std::pair<std::string, std::string> cases[] = {
        {R"({"elements": [)", "syntax error at offset"},
        {R"([1, 2])", "expected an object"},
        {R"({})", "elements: missing"},
        {R"({"elements": {}})", "elements: expected an array"},
        {R"({"elements": [], "extra": 1})", "extra: unknown member"},
        {R"({"elements": [{}, 3]})", "elements[1]: expected an object"},
        {R"({"elements": [{}, {}, {"m_nWhen": "1"}]})", "elements[2].m_nWhen: expected an integer"},
        {R"({"elements": [{"m_nWhen": 1.5}]})", "elements[0].m_nWhen: expected an integer"},
        {R"({"elements": [{"m_timeReference": 2147483648}]})",
         "elements[0].m_timeReference: 2147483648 is out of the 32-bit range"},
        {R"({"elements": [{"m_nState": -2147483649}]})", "out of the 32-bit range"},
        {R"({"elements": [{"m_strCopy": 5}]})", "elements[0].m_strCopy: expected a string"},
        {R"({"elements": [{"m_strCopie": ""}]})", "elements[0].m_strCopie: unknown member"},
    };
    for (const auto& [json, message] : cases) {
        WriteWholeFile(dir.File("bad.json"), json);
        const ToolRun write = RunTool(dir, {"write", dir.File("bad.json"), target});
        EXPECT_EQ(write.exitCode, 2) << json;
        EXPECT_NE(write.err.find(message), std::string::npos) << json << "\n" << write.err;
        EXPECT_EQ(ReadWholeFile(target), "old content") << json;
    }
    EXPECT_EQ(RunTool(dir, {"write", dir.File("none.json"), target}).exitCode, 2);
    EXPECT_EQ(RunTool(dir, {"dump"}).exitCode, 2);
}

// A list of `count` elements whose texts start with `word`, as JSON for mvntool write.
std::string LargeListJson(const std::string& word, int count) {
    std::string json = "{\"elements\": [";
    for (int i = 0; i < count; ++i) {
        json += (i ? ",{" : "{") + std::string("\"m_strDescription\": \"") + word +
                std::to_string(i) + "\", \"m_strFtpPassword\": \"secret\"}";
    }
    return json + "]}";
}

// kill -9 at any moment of a save leaves the old list or the new one, never a mix; the next
// save leaves the list alone in its folder with its lock file, and it reads back.
TEST(Mvntool, KilledSavesLeaveTheOldOrTheNewListAndTheNextSaveCleansUp) {
    TempDir inputs;
    TempDir lists;
    TempDir output;
    const std::string oldJson = inputs.File("old.json");
    const std::string newJson = inputs.File("new.json");
    WriteWholeFile(oldJson, LargeListJson("old ", 200000));
    WriteWholeFile(newJson, LargeListJson("new ", 200000));
    const std::string list = lists.File("list.mvn");
    const std::string reference = inputs.File("reference.mvn");
    ASSERT_EQ(RunCaptured({MVNTOOL_PATH, "write", newJson, reference}, output).exitCode, 0);
    const std::string newBytes = ReadWholeFile(reference);
    const auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(RunCaptured({MVNTOOL_PATH, "write", oldJson, list}, output).exitCode, 0);
    const auto duration = std::chrono::steady_clock::now() - started;
    const std::string oldBytes = ReadWholeFile(list);

    std::mt19937 random(11);
    std::uniform_int_distribution<long long> moment(
        0, std::chrono::duration_cast<std::chrono::microseconds>(duration).count());
    for (int kill = 0; kill < 24; ++kill) {
        const pid_t pid = StartCaptured({MVNTOOL_PATH, "write", newJson, list}, output);
        std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
        ::kill(pid, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        const std::string bytes = ReadWholeFile(list);
        EXPECT_TRUE(bytes == oldBytes || bytes == newBytes) << "kill " << kill;
    }
    ASSERT_EQ(RunCaptured({MVNTOOL_PATH, "write", newJson, list}, output).exitCode, 0);
    EXPECT_EQ(ReadWholeFile(list), newBytes);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(lists.Path())) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"list.mvn", "list.mvn.lock"}));
}

}  // namespace
