#pragma once

#include <string_view>

// The console of mvntool. Its results go to standard output through these, which remember a
// write that failed (a closed pipe, a full disk), so that a run whose results were lost
// cannot end as a success. Diagnostics go to standard error as best they can: there is no
// other place to tell of their loss.
[[gnu::format(printf, 1, 2)]] void PrintOut(const char* format, ...);
void WriteOut(std::string_view text);
// Sends what standard output holds on its way at once, for a reader that follows the run.
void FlushOut();
[[gnu::format(printf, 1, 2)]] void PrintError(const char* format, ...);

// The exit status of a run that ends with `status`: the failure status, after saying so on
// standard error, when standard output could not take all its results.
int FinishOutput(int status);
