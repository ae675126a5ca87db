// Loading and saving a list of 100,000 elements, side by side with reading and writing the
// same bytes raw, measured in the same run. Each round times every case once, the load and
// the raw read back to back in alternating order, so that a busy machine slows both alike;
// the figures are medians over the rounds, and the ratios medians of the per-round ratios.
//
// Usage: DatabaseBench [rounds]   (Release build; 15 rounds by default)

#include "core/Database.h"
#include "core/ElemArchive.h"
#include "i18n/MessageBoxes.h"

#include "RoundsArgument.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kElements = 100000;
constexpr int kDefaultRounds = 15;
// The block of the raw read: what `cat` reads at a time.
constexpr size_t kRawBlock = size_t{128} * 1024;

class SilentBoxes : public IMessageBoxes {
public:
    BoxAnswer ShowBox(const std::string&, const std::string&, BoxIcon, BoxButtons,
                      BoxOwner) override {
        std::abort();  // no box is expected: the figures would mean nothing
    }
    BoxAnswer ShowAppBox(const std::string&, BoxIcon, BoxButtons) override { std::abort(); }
};

// Paths, addresses and descriptions of the lengths users type.
ElemList RealisticList() {
    ElemList list;
    for (int i = 0; i < kElements; ++i) {
        auto elem = std::make_unique<CKelElem>();
        const std::string n = std::to_string(100000 + i);
        elem->m_strDescription = "Weekly report of project " + n;
        elem->m_nCheckMode = i % 4;
        elem->m_timeReference = 1013335200 + i;
        elem->m_strOriginal = "/home/claire/Documents/projects/reports/report-" + n + ".pdf";
        elem->m_strCopy = i % 2 ? "ftp://files.example.org/pub/reports/report-" + n + ".pdf"
                                : "http://www.example.org/downloads/report-" + n + ".pdf";
        elem->m_nWhen = i % 4;
        elem->m_timeAtTime = 1013335200;
        if (i % 2) {
            elem->m_strFtpUser = "claire";
            elem->m_strFtpPassword = "pw-" + n;
        }
        list.push_back(std::move(elem));
    }
    return list;
}

void Check(bool ok, const char* what) {
    if (!ok) {
        // Exit status 1 tells the failure whether or not the line reaches the screen.
        (void)std::fprintf(stderr, "DatabaseBench: %s failed\n", what);
        std::exit(1);
    }
}

// A folder of its own under the temporary folder, with the database saved in it.
struct BenchFiles {
    BenchFiles() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "morvane-bench-XXXXXX").string();
        Check(mkdtemp(pattern.data()) != nullptr, "mkdtemp");
        folder = pattern;
        database = folder + "/watch.MVN";
        list = RealisticList();
        bytes = WriteElemArchive(list);
        bool modified = true;
        SilentBoxes boxes;
        Check(SaveDatabase(database, modified, list, boxes), "the first save");
    }
    ~BenchFiles() { std::filesystem::remove_all(folder); }

    std::string folder;
    std::string database;
    ElemList list;
    std::string bytes;
};

// Wall and CPU time of one call, in milliseconds, and the pages it touched for the first time.
struct Timing {
    double wallMs = 0;
    double cpuMs = 0;
    double pageFaults = 0;
};

long MinorFaults() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

double CpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

Timing Time(const std::function<void()>& work) {
    const long faultsStart = MinorFaults();
    const double cpuStart = CpuMs();
    const auto wallStart = std::chrono::steady_clock::now();
    work();
    const std::chrono::duration<double, std::milli> wall =
        std::chrono::steady_clock::now() - wallStart;
    return {wall.count(), CpuMs() - cpuStart, static_cast<double>(MinorFaults() - faultsStart)};
}

// Times one load. The list it built replaces `previous` after the clock stopped, so that the
// list of the round before is freed only then: every round finds memory that the allocator
// already holds, instead of pages it would take anew from the system.
Timing TimeLoad(const BenchFiles& files, ElemList& previous) {
    SilentBoxes boxes;
    ElemList list;
    const Timing timing = Time([&] {
        std::string path = files.database;
        bool modified = false;
        LoadDatabase(path, modified, list, boxes);
    });
    Check(list.size() == static_cast<size_t>(kElements), "a load");
    previous = std::move(list);
    return timing;
}

// The same elements copied from the list in memory, reading nothing: the allocations and
// copies that any load building these elements must make, its floor.
Timing TimeCopy(const BenchFiles& files, ElemList& previous) {
    ElemList list;
    const Timing timing = Time([&] {
        list.reserve(files.list.size());
        for (const auto& elem : files.list) {
            list.push_back(std::make_unique<CKelElem>(*elem));
        }
    });
    previous = std::move(list);
    return timing;
}

Timing TimeRawRead(const BenchFiles& files) {
    size_t total = 0;
    const Timing timing = Time([&] {
        std::vector<char> block(kRawBlock);
        const int fd = open(files.database.c_str(), O_RDONLY | O_CLOEXEC);
        for (ssize_t got; (got = read(fd, block.data(), block.size())) > 0;) {
            total += static_cast<size_t>(got);
        }
        close(fd);
    });
    Check(total == files.bytes.size(), "a raw read");
    return timing;
}

Timing TimeSave(const BenchFiles& files) {
    SilentBoxes boxes;
    return Time([&] {
        bool modified = true;
        Check(SaveDatabase(files.database, modified, files.list, boxes), "a save");
    });
}

// The same bytes, written as a save writes them: a new file, flushed, renamed, folder flushed.
Timing TimeRawWrite(const BenchFiles& files) {
    const std::string temporary = files.folder + "/raw.tmp";
    const std::string target = files.folder + "/raw.MVN";
    return Time([&] {
        const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        Check(write(fd, files.bytes.data(), files.bytes.size()) ==
                  static_cast<ssize_t>(files.bytes.size()),
              "a raw write");
        fsync(fd);
        close(fd);
        Check(std::rename(temporary.c_str(), target.c_str()) == 0, "a rename");
        const int folder = open(files.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        fsync(folder);
        close(folder);
    });
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Series {
    std::vector<double> wall;
    std::vector<double> cpu;
    std::vector<double> pageFaults;
    void Add(const Timing& timing) {
        wall.push_back(timing.wallMs);
        cpu.push_back(timing.cpuMs);
        pageFaults.push_back(timing.pageFaults);
    }
};

double MegabytesPerSecond(size_t bytes, double ms) {
    return static_cast<double>(bytes) / 1e6 / (ms / 1e3);
}

void PrintCase(const char* name, const Series& series, size_t bytes) {
    const auto [low, high] = std::minmax_element(series.wall.begin(), series.wall.end());
    const double wall = Median(series.wall);
    std::printf("  %-10s %9.2f (%.2f-%.2f) %10.2f %10.0f %12.0f\n", name, wall, *low, *high,
                Median(series.cpu), MegabytesPerSecond(bytes, wall), Median(series.pageFaults));
}

void PrintRatio(const char* name, const Series& top, const Series& bottom) {
    std::vector<double> wall;
    std::vector<double> cpu;
    for (size_t i = 0; i < top.wall.size(); ++i) {
        wall.push_back(top.wall[i] / bottom.wall[i]);
        cpu.push_back(top.cpu[i] / bottom.cpu[i]);
    }
    const auto [low, high] = std::minmax_element(wall.begin(), wall.end());
    std::printf("  %-22s wall %.2fx (rounds %.2fx-%.2fx), CPU %.2fx\n", name, Median(wall), *low,
                *high, Median(cpu));
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = RoundsArgument(argc, argv, kDefaultRounds);
    const BenchFiles files;
    const size_t bytes = files.bytes.size();

    // The first load of the process meets a heap that has never held a list, as the
    // program's start-up does; the raw read before it brings the file into the page cache.
    TimeRawRead(files);
    ElemList previous;
    const Timing first = TimeLoad(files, previous);
    TimeSave(files);
    TimeRawWrite(files);

    Series load, copy, rawRead, save, rawWrite;
    for (int round = 0; round < rounds; ++round) {
        if (round % 2) {
            load.Add(TimeLoad(files, previous));
            rawRead.Add(TimeRawRead(files));
        } else {
            rawRead.Add(TimeRawRead(files));
            load.Add(TimeLoad(files, previous));
        }
        copy.Add(TimeCopy(files, previous));
        save.Add(TimeSave(files));
        rawWrite.Add(TimeRawWrite(files));
    }

    std::printf(
        "DatabaseBench: %d elements, %zu bytes on file (%.2f MB, 1 MB = 10^6 bytes), "
        "in %s\n",
        kElements, bytes, static_cast<double>(bytes) / 1e6, files.folder.c_str());
    std::printf(
        "%d rounds after one unmeasured round; each round times each case once (one "
        "call each), the load and the raw read back to back in alternating order.\n",
        rounds);
    std::printf(
        "What is timed (file in the page cache):\n"
        "  load       LoadDatabase: open, read, check and build the %d elements; "
        "the list of the round before is freed after the timing\n"
        "  copy       the same elements copied from the list in memory (no file): the "
        "allocations and copies any load of them makes\n"
        "  raw read   open, read(2) in blocks of %zu KiB into one buffer to the end, "
        "close\n"
        "  save       SaveDatabase: archive built in memory, temporary file written, "
        "fsync, rename, folder fsync\n"
        "  raw write  open a new file, one write(2) of the same bytes, fsync, close, "
        "rename, folder fsync\n"
        "  new pages  minor page faults during the call: memory touched for the first "
        "time\n",
        kElements, kRawBlock / 1024);
    std::printf("  %-10s %9s %-13s %10s %10s %12s\n", "case", "wall ms", " (min-max)", "CPU ms",
                "MB/s wall", "new pages");
    PrintCase("load", load, bytes);
    PrintCase("copy", copy, bytes);
    PrintCase("raw read", rawRead, bytes);
    PrintCase("save", save, bytes);
    PrintCase("raw write", rawWrite, bytes);
    std::printf("Ratios, medians of the per-round ratios:\n");
    PrintRatio("load / raw read", load, rawRead);
    PrintRatio("copy / raw read", copy, rawRead);
    PrintRatio("load / copy", load, copy);
    PrintRatio("save / raw write", save, rawWrite);
    std::printf(
        "First load of the process, every page new to it (as at start-up): wall %.2f ms "
        "(%.0f MB/s), CPU %.2f ms, %.0f new pages\n",
        first.wallMs, MegabytesPerSecond(bytes, first.wallMs), first.cpuMs, first.pageFaults);
    return 0;
}
