#include "core/ElemArchive.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

// ASan's default quarantine (256 MB) alone takes this run to about 470 MB of memory, close
// to the 512 MB limit that CI sets; 64 MB still holds the frees of thousands of inputs.
extern "C" const char* __asan_default_options() {
    return "quarantine_size_mb=64";
}

// Any bytes give a list or a failure. A list that was read whole must come back unchanged
// from its own archive: the writer and the reader agree on every form the reader accepts.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ElemList list;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (ReadElemArchive(bytes, list) != ArchiveError::None) {
        return 0;
    }
    ElemList again;
    if (ReadElemArchive(WriteElemArchive(list), again) != ArchiveError::None ||
        again.size() != list.size()) {
        std::abort();
    }
    for (size_t i = 0; i < list.size(); ++i) {
        if (!(*again[i] == *list[i])) {
            std::abort();
        }
    }
    return 0;
}
