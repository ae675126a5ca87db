#pragma once

#include <cstddef>
#include <cstdint>

// Where a reader takes further bytes from once it has used up those it holds.
class IByteSource {
public:
    virtual ~IByteSource() = default;
    // Up to `size` further bytes into `buffer`; 0 at the end or after a failure.
    virtual size_t ReadSome(char* buffer, size_t size) = 0;
    // The bytes still to come as far as the source knows them (a file's size): a hint for
    // sizing, never a promise.
    virtual uint64_t SizeHint() const = 0;
};
