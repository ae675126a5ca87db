#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

// Progress is shown in units of this many bytes: one status line and one position each.
inline constexpr int64_t kTransferUnit = 4096;

// Cuts the bytes of a download, in whatever pieces the network delivers them, into the
// 4096-byte units of the progress: a step for every full unit while data arrives, then the
// short last one at the end. A step answers false to stop the download.
class CProgressUnits {
public:
    using Step = std::function<bool(int64_t total)>;
    explicit CProgressUnits(Step step) : m_step(std::move(step)) {}

    // Counts `size` more bytes; false as soon as a step asked to stop.
    bool Add(size_t size);
    // The end of the data: a step for the last read, short or empty. With `emptyReadAfter`
    // a short last unit is followed by an empty read, which steps once more.
    void Finish(bool emptyReadAfter);

private:
    Step m_step;
    int64_t m_nReceived = 0;
    int64_t m_nShown = 0;
};

// The progress window counts in 32 bits: sizes beyond that are shifted right by this many
// bits (positions alike), which keeps every percentage exact to the unit.
int ProgressShift(int64_t size);
int32_t ToWindowValue(int64_t value, int shift);
