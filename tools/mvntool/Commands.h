#pragma once

#include <initializer_list>
#include <string>
#include <vector>

class IMessageBoxes;

// Exit codes of mvntool.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
// mvntool check: at least one check could not be made.
inline constexpr int kExitCheckFailed = 3;

// Each command gets the words after its name.
using Arguments = std::vector<std::string>;

// Fills the catalogue and applies the `Language` of the INI file beside `databaseFile`
// (none when empty).
void PrepareLanguage(const std::string& databaseFile, IMessageBoxes& boxes);

// mvntool dump FILE: the watch list in FILE as JSON on standard output.
int RunDumpCommand(const Arguments& arguments);
// mvntool write JSON FILE: saves the list described by JSON to FILE.
int RunWriteCommand(const Arguments& arguments);
// mvntool check [--all] [--apply] [--save] FILE: checks the elements due at launch (or all
// of them) and prints each element's state, "Check failed: REASON" for a check that could
// not be made.
int RunCheckCommand(const Arguments& arguments);

// The login of `mvntool probe` and `mvntool get`: "--user U" and "--password P", or
// "--password-file FILE" (its first line), which other users cannot read in the process list.
struct RemoteLogin {
    std::string user = "anonymous";
    std::string password;
};
// Takes the login options and exactly as many other words as `positional` names; false
// after saying what is wrong.
bool ParseRemoteArguments(const Arguments& arguments,
                          std::initializer_list<std::string*> positional, RemoteLogin& login);
// mvntool probe ADDRESS [--user U] [--password P]: how the address is classified and, for
// a copy that can be probed, its time.
int RunProbeCommand(const Arguments& arguments);
// mvntool get ADDRESS LOCALPATH [--user U] [--password P]: downloads the address.
int RunGetCommand(const Arguments& arguments);
