#pragma once

#include "TempDir.h"

#include <sys/types.h>

#include <string>
#include <vector>

// What a program run by a test left: its exit code (-1 when it did not exit normally) and
// its standard output and error.
struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Starts `arguments` (the program file first) with its standard output and error captured
// in files of `dir`; -1 when it cannot start.
pid_t StartCaptured(std::vector<std::string> arguments, const TempDir& dir);
// Waits for a program started by StartCaptured and collects what it left.
ToolRun FinishCaptured(pid_t pid, const TempDir& dir);
ToolRun RunCaptured(std::vector<std::string> arguments, const TempDir& dir);
// Runs `arguments` as RunCaptured does, but with standard output on its file opened for
// reading only, so that every write to it fails.
ToolRun RunWithUnwritableOutput(std::vector<std::string> arguments, const TempDir& dir);

// The state column of each element line that `mvntool check` printed, in order.
std::vector<std::string> CheckStates(const std::string& out);
