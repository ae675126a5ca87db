#include "ConsoleOutput.h"

#include "Commands.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

// The error of the first write to standard output that failed; 0 while none has.
int g_outputError = 0;

void CheckOutput(bool written) {
    if (!written && g_outputError == 0) {
        g_outputError = errno != 0 ? errno : EIO;
    }
}

}  // namespace

void PrintOut(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    CheckOutput(std::vfprintf(stdout, format, arguments) >= 0);
    va_end(arguments);
}

void WriteOut(std::string_view text) {
    CheckOutput(std::fwrite(text.data(), 1, text.size(), stdout) == text.size());
}

void FlushOut() {
    CheckOutput(std::fflush(stdout) == 0);
}

void PrintError(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    // A message that standard error cannot take is lost: it was the place to tell of it.
    (void)std::vfprintf(stderr, format, arguments);
    va_end(arguments);
}

int FinishOutput(int status) {
    FlushOut();
    if (g_outputError == 0) {
        return status;
    }
    PrintError("mvntool: cannot write the output: %s\n", std::strerror(g_outputError));
    return kExitFailed;
}
