// A minute pass over a large list of permanent local elements, beside the least any pass
// must do: read the status of each copy.

#include "core/CheckEnvironment.h"
#include "core/ElemList.h"
#include "core/Scheduler.h"
#include "core/SchedulerPorts.h"
#include "core/SystemClock.h"
#include "i18n/MessageBoxes.h"

#include "UnreachedServices.h"

#include <benchmark/benchmark.h>

#include <sys/stat.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>
#include <filesystem>
#include <fstream>
#include <limits>

namespace {

constexpr int kElements = 10000;

// Copies 0, 2, 4 ... exist; the odd ones do not.
class Folder {
public:
    Folder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "morvane-check-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            std::abort();
        }
        m_path = pattern;
        for (int i = 0; i < kElements; i += 2) {
            std::ofstream(File(i)) << "x";
        }
    }
    ~Folder() { std::filesystem::remove_all(m_path); }
    std::string File(int i) const {
        return (m_path / ("copy" + std::to_string(i) + ".txt")).string();
    }

private:
    std::filesystem::path m_path;
};

const Folder& TheFolder() {
    static const Folder folder;
    return folder;
}

void BM_MinutePass(benchmark::State& state) {
    const Folder& folder = TheFolder();
    ElemList elems;
    for (int i = 0; i < kElements; ++i) {
        auto elem = std::make_unique<CKelElem>();
        elem->m_nWhen = WHEN_PERMANENT;
        elem->m_nCheckMode = CHECK_ABSOLUTE_TIME;
        elem->m_timeReference = std::numeric_limits<TimeValue>::max();
        elem->m_strCopy = folder.File(i);
        elems.push_back(std::move(elem));
    }
    CSystemClock clock;
    CUnreachedServices unreached;
    CNoRemoteAccess remote;
    CheckContext context{clock, unreached, unreached, remote, unreached, unreached, unreached};
    CUnattendedList list;
    CScheduler scheduler(elems, list, list, context);
    for ([[maybe_unused]] auto _ : state) {
        scheduler.OnTimer(CScheduler::kTimerMinute);
    }
    state.SetItemsProcessed(state.iterations() * kElements);
}
BENCHMARK(BM_MinutePass)->Unit(benchmark::kMillisecond);

void BM_StatEachCopy(benchmark::State& state) {
    const Folder& folder = TheFolder();
    std::vector<std::string> names;
    names.reserve(kElements);
    for (int i = 0; i < kElements; ++i) {
        names.push_back(folder.File(i));
    }
    for ([[maybe_unused]] auto _ : state) {
        for (const std::string& name : names) {
            struct stat status {};
            benchmark::DoNotOptimize(stat(name.c_str(), &status));
        }
    }
    state.SetItemsProcessed(state.iterations() * kElements);
}
BENCHMARK(BM_StatEachCopy)->Unit(benchmark::kMillisecond);

}  // namespace
