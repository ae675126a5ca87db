#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "remote/Address.h"
#include "remote/SftpSupport.h"
#include "remote/TlsTrust.h"

class CFileLock;
class IMessageBoxes;

// Exit codes of mvntool.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
// mvntool check: at least one check could not be made.
inline constexpr int kExitCheckFailed = 3;
// A running window holds the list: nothing was written.
inline constexpr int kExitListHeld = 4;

// Each command gets the words after its name.
using Arguments = std::vector<std::string>;

// Fills the catalogue and applies the `Language` of the INI file beside `databaseFile`
// (none when empty).
void PrepareLanguage(const std::string& databaseFile, IMessageBoxes& boxes);

// Takes the lock of the list in `databaseFile` into `lock`, which holds it for the length of a
// write. False, after saying so on standard error, when a running window holds the list.
bool LockListForWriting(const std::string& databaseFile, CFileLock& lock);

// mvntool dump FILE: the watch list in FILE as JSON on standard output.
int RunDumpCommand(const Arguments& arguments);
// mvntool write JSON FILE: saves the list described by JSON to FILE.
int RunWriteCommand(const Arguments& arguments);
// mvntool check [--all] [--apply] [--save] [--accept-new-host-key] FILE: checks the elements
// due at launch (or all of them) and prints each element's state, "Check failed: REASON" for
// a check that could not be made.
int RunCheckCommand(const Arguments& arguments);

// The options of `mvntool probe` and `mvntool get`: the login, "--user U" and
// "--password P", or "--password-file FILE" (its first line), which other users cannot read
// in the process list; "--trust-key sha256//BASE64", a key trusted for the address's
// server for this run only; and "--accept-new-host-key", which adds an unknown SSH server's
// key to known_hosts and goes on.
struct RemoteOptions {
    std::string user = "anonymous";
    std::string password;
    std::string trustedKey;
    bool acceptNewHostKey = false;
};
// Takes the options and exactly as many other words as `positional` names; false after
// saying what is wrong.
bool ParseRemoteArguments(const Arguments& arguments,
                          std::initializer_list<std::string*> positional, RemoteOptions& options);
// The keys a run of probe or get trusts: the one of --trust-key, for the address's server.
TrustedKeys TrustedForRun(const ParsedAddress& parsed, const RemoteOptions& options);
// The line that names the key of a server refused for want of trust, on standard error.
void PrintUntrustedKey(const std::optional<UntrustedServer>& untrusted);
// The line that names the fingerprint of an SSH server's refused host key, on standard error.
void PrintRefusedHostKey(const std::optional<SshHostRefusal>& refused);
// mvntool probe ADDRESS [options]: how the address is classified and, for a copy that can
// be probed, its time.
int RunProbeCommand(const Arguments& arguments);
// mvntool get ADDRESS LOCALPATH [options]: downloads the address.
int RunGetCommand(const Arguments& arguments);
