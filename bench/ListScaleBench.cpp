// How the cost of a list grows with its size: the load of its database file, the main
// window's RefillList and a minute pass, over 1,000, 10,000 and 100,000 local elements whose
// copies are present for one half of them; then a minute pass over 100 HTTP elements on a
// server that delays every answer by 50 ms. Each figure is the median of its rounds (file in
// the page cache, the list of a round freed after its timing), with the spread.
//
// Usage: ListScaleBench [rounds]   (Release build; 5 rounds by default; the offscreen platform
// unless QT_QPA_PLATFORM says otherwise)

#include "app/ElemListCtrl.h"
#include "core/CheckEnvironment.h"
#include "core/CheckFailures.h"
#include "core/Database.h"
#include "core/RemoteAccess.h"
#include "core/Scheduler.h"
#include "core/SchedulerPorts.h"
#include "core/SystemClock.h"
#include "i18n/MessageBoxes.h"
#include "remote/TransferWindow.h"

#include "RoundsArgument.h"
#include "TempDir.h"
#include "TestServers.h"
#include "UnreachedServices.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace {

constexpr int kDefaultRounds = 5;
constexpr int kHttpElements = 100;
constexpr int kHttpDelayMs = 50;

struct Timing {
    double wallMs = 0;
    double cpuMs = 0;
};

double CpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

Timing Time(const std::function<void()>& work) {
    const double cpuStart = CpuMs();
    const auto wallStart = std::chrono::steady_clock::now();
    work();
    const std::chrono::duration<double, std::milli> wall =
        std::chrono::steady_clock::now() - wallStart;
    return {wall.count(), CpuMs() - cpuStart};
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void PrintCase(const char* name, int elements, const std::vector<Timing>& timings) {
    std::vector<double> wall;
    std::vector<double> cpu;
    for (const Timing& timing : timings) {
        wall.push_back(timing.wallMs);
        cpu.push_back(timing.cpuMs);
    }
    const auto [low, high] = std::minmax_element(wall.begin(), wall.end());
    std::printf("  %-12s %8d %10.2f (%.2f-%.2f) %10.2f %12.2f\n", name, elements, Median(wall),
                *low, *high, Median(cpu), Median(wall) * 1e3 / elements);
}

// Permanent elements checked against a reference time no copy reaches, with descriptions in
// no particular order, so that the list has its sorting to do.
ElemList ScaleList(int count, const std::function<std::string(int)>& copyOf) {
    ElemList list;
    for (int i = 0; i < count; ++i) {
        auto elem = std::make_unique<CKelElem>();
        const std::string n = std::to_string(100000 + (i * 7919) % count);
        elem->m_strDescription = "Weekly report of project " + n;
        elem->m_nCheckMode = CHECK_ABSOLUTE_TIME;
        elem->m_timeReference = std::numeric_limits<int32_t>::max();
        elem->m_strOriginal = "/home/claire/Documents/projects/reports/report-" + n + ".pdf";
        elem->m_strCopy = copyOf(i);
        elem->m_nWhen = WHEN_PERMANENT;
        list.push_back(std::move(elem));
    }
    return list;
}

ElemList LocalList(const TempDir& folder, int count) {
    return ScaleList(count, [&folder](int i) {
        std::string path = folder.File("copy" + std::to_string(i) + ".txt");
        if (i % 2 == 0) {
            WriteWholeFile(path, "x");
        }
        return path;
    });
}

void Check(bool ok, const char* what) {
    if (!ok) {
        // Exit status 1 tells the failure whether or not the line reaches the screen.
        (void)std::fprintf(stderr, "ListScaleBench: %s failed\n", what);
        std::exit(1);
    }
}

ElemList Load(const std::string& database, IMessageBoxes& boxes) {
    ElemList list;
    std::string path = database;
    bool modified = false;
    Check(LoadDatabase(path, modified, list, boxes), "a load");
    return list;
}

// One minute pass as the timer runs it, without the list on screen (timed on its own).
Timing TimeMinutePass(ElemList& elems, IRemoteAccess& remote, CUnreachedServices& unreached) {
    CSystemClock clock;
    CheckContext context{clock, unreached, unreached, remote, unreached, unreached, unreached};
    CUnattendedList list;
    CScheduler scheduler(elems, list, list, context);
    return Time([&] { scheduler.OnTimer(CScheduler::kTimerMinute); });
}

void MeasureLocal(int count, int rounds) {
    TempDir folder;
    CUnreachedServices unreached;
    ElemList list = LocalList(folder, count);
    const std::string database = folder.File("watch.MVN");
    bool modified = true;
    Check(SaveDatabase(database, modified, list, unreached), "the save");

    std::vector<Timing> loads, refills, editedRefills, passes;
    CNoRemoteAccess remote;
    const CCheckFailures noFailures;
    CElemListCtrl control(list, noFailures);
    control.InsertColumns();
    ElemList previous = Load(database, unreached);
    for (int round = 0; round < rounds; ++round) {
        ElemList loaded;
        loads.push_back(Time([&] { loaded = Load(database, unreached); }));
        previous = std::move(loaded);
        refills.push_back(Time([&] { control.RefillList(nullptr); }));
        list[static_cast<size_t>(round % count)]->m_strDescription += " (edited)";
        editedRefills.push_back(Time([&] { control.RefillList(nullptr); }));
        passes.push_back(TimeMinutePass(list, remote, unreached));
    }
    PrintCase("load", count, loads);
    PrintCase("RefillList", count, refills);
    PrintCase("after edit", count, editedRefills);
    PrintCase("minute pass", count, passes);
}

void MeasureHttp(int rounds) {
    TempDir served;
    TempDir logs;
    WriteWholeFile(served.File("page.html"), "<html>watched</html>");
    const CHttpTestServer server(served.Path().string(), logs.File("requests.log"),
                                 {"--delay", std::to_string(kHttpDelayMs / 1000.0)});
    ElemList list =
        ScaleList(kHttpElements, [&server](int) { return server.Url("/files/page.html"); });
    CRemoteAccess remote("127.0.0.1:" + std::to_string(server.Port()), [] { return nullptr; });
    CUnreachedServices unreached;
    std::vector<Timing> passes;
    passes.reserve(static_cast<size_t>(rounds));
    for (int round = 0; round < rounds; ++round) {
        passes.push_back(TimeMinutePass(list, remote, unreached));
    }
    for (const auto& elem : list) {
        Check(elem->m_nState == STATE_NO_NEW_VERSION, "an HTTP check");
    }
    PrintCase("minute pass", kHttpElements, passes);
}

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) {
        Check(setenv("QT_QPA_PLATFORM", "offscreen", 1) == 0, "setting QT_QPA_PLATFORM");
    }
    QApplication application(argc, argv);
    const int rounds = RoundsArgument(argc, argv, kDefaultRounds);
    std::printf(
        "ListScaleBench: %d rounds per case, figures in ms (median, min-max of wall; median "
        "of CPU)\n"
        "  load         LoadDatabase of the saved list (file in the page cache)\n"
        "  RefillList   the main window's list control refilling every row, no description "
        "changed since its last refill (as after a minute pass)\n"
        "  after edit   the same RefillList after one description changed\n"
        "  minute pass  CScheduler's minute timer over permanent elements, without the list "
        "redrawn (that is RefillList above)\n",
        rounds);
    std::printf("Local elements, the copies of one half present:\n");
    std::printf("  %-12s %8s %10s %-15s %10s %12s\n", "case", "elements", "wall ms", " (min-max)",
                "CPU ms", "us/element");
    for (const int count : {1000, 10000, 100000}) {
        MeasureLocal(count, rounds);
    }
    std::printf("HTTP elements, the server answering each request %d ms late:\n", kHttpDelayMs);
    MeasureHttp(std::min(rounds, 3));
    return 0;
}
