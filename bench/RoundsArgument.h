#pragma once

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <system_error>

// The rounds the command line of a benchmark asks for: its first argument, a whole number (1
// at least), or `fallback` without one. Anything else ends the run with its usage line.
inline int RoundsArgument(int argc, char** argv, int fallback) {
    if (argc < 2) {
        return fallback;
    }
    const char* text = argv[1];
    const char* end = text + std::strlen(text);
    int rounds = 0;
    const auto [stop, error] = std::from_chars(text, end, rounds);
    if (error != std::errc() || stop != end) {
        // Exit status 2 tells a wrong command line whether or not the line reaches the screen.
        (void)std::fprintf(stderr, "usage: %s [rounds]\n", argv[0]);
        std::exit(2);
    }
    return std::max(1, rounds);
}
