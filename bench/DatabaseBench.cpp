#include "core/Database.h"
#include "core/ElemArchive.h"
#include "i18n/MessageBoxes.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Loading and saving a list of 100,000 elements, side by side with reading and writing the
// same bytes raw. Throughput counts file bytes per second of wall time: a save waits for
// the disk.

namespace {

constexpr int kElements = 100000;

class SilentBoxes : public IMessageBoxes {
public:
    int ShowBox(const std::string&, const std::string&, BoxIcon, BoxButtons, BoxOwner) override {
        std::abort();  // no box is expected: the figures would mean nothing
    }
    int ShowAppBox(const std::string&, BoxIcon, BoxButtons) override { std::abort(); }
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

// A folder of its own under the temporary folder, with the database saved in it.
struct BenchFiles {
    BenchFiles() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "morvane-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            std::abort();
        }
        folder = pattern;
        database = folder + "/watch.MVN";
        list = RealisticList();
        bytes = WriteElemArchive(list);
        int32_t modified = 1;
        SilentBoxes boxes;
        SaveDatabase(database, modified, list, boxes);
    }
    ~BenchFiles() { std::filesystem::remove_all(folder); }

    std::string folder;
    std::string database;
    ElemList list;
    std::string bytes;
};

BenchFiles& Files() {
    static BenchFiles files;
    return files;
}

void BM_LoadDatabase(benchmark::State& state) {
    SilentBoxes boxes;
    // The list of the previous round is freed outside the timing, after the next load, so
    // that every round finds the heap in the same warm state, as the raw read finds its buffer.
    ElemList previous;
    for (auto _ : state) {
        std::string path = Files().database;
        int32_t modified = 0;
        ElemList list;
        LoadDatabase(path, modified, list, boxes);
        state.PauseTiming();
        previous = std::move(list);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Files().bytes.size()));
}
BENCHMARK(BM_LoadDatabase)->UseRealTime()->Unit(benchmark::kMillisecond);

// open, fstat, one read into a fresh buffer, close.
void BM_RawRead(benchmark::State& state) {
    for (auto _ : state) {
        const int fd = open(Files().database.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat info {};
        fstat(fd, &info);
        std::string buffer(static_cast<size_t>(info.st_size), '\0');
        benchmark::DoNotOptimize(read(fd, buffer.data(), buffer.size()));
        close(fd);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Files().bytes.size()));
}
BENCHMARK(BM_RawRead)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_SaveDatabase(benchmark::State& state) {
    SilentBoxes boxes;
    for (auto _ : state) {
        int32_t modified = 1;
        SaveDatabase(Files().database, modified, Files().list, boxes);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Files().bytes.size()));
}
BENCHMARK(BM_SaveDatabase)->UseRealTime()->Unit(benchmark::kMillisecond);

// The same bytes, written as a save writes them: a new file, flushed to the disk, renamed.
void BM_RawWrite(benchmark::State& state) {
    const std::string temporary = Files().folder + "/raw.tmp";
    const std::string target = Files().folder + "/raw.MVN";
    for (auto _ : state) {
        const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        benchmark::DoNotOptimize(write(fd, Files().bytes.data(), Files().bytes.size()));
        if (state.range(0)) {
            fsync(fd);
        }
        close(fd);
        std::rename(temporary.c_str(), target.c_str());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Files().bytes.size()));
}
BENCHMARK(BM_RawWrite)
    ->ArgName("fsync")
    ->Arg(1)
    ->Arg(0)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
