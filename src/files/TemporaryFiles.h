#pragma once

// The temporary files of the replacements under way in this process, and the private copies
// made for a viewer, so that a signal that ends the process can remove them first: a
// temporary file of the watch list holds its FTP passwords in plain text.

// Creates a temporary file from `pattern` as mkostemps(pattern, suffixLength, O_CLOEXEC)
// does (mode 0600, the six X before the last `suffixLength` characters replaced) and records
// it: its descriptor, or -1 with errno. `slot` is the slot to forget it by, or -1 when none is
// free (the next write of the same target then removes the file if it survives).
int CreateRecordedTemporaryFile(char* pattern, int& slot, int suffixLength = 0);
// The file has been renamed or removed by its owner.
void ForgetTemporaryFile(int slot);

// Removes every recorded temporary file. Safe in a signal handler; meant for the end of the
// process (a file removed here is not recorded again).
void RemoveTemporaryFilesInFlight();

// Ends the process with `status` now, without the atexit handlers and static destructors,
// which would tear down what other threads still use: removes the temporary files in
// flight and flushes the standard streams first.
[[noreturn]] void EndProcessAtOnce(int status);

// SIGTERM, SIGINT and SIGHUP remove the temporary files, then end the process as the
// signal would have. For programs without their own handling of these signals.
void RemoveTemporaryFilesOnTerminationSignals();

// A write beyond the file-size limit then fails with EFBIG, an ordinary write failure,
// instead of ending the process.
void IgnoreFileSizeLimitSignal();
