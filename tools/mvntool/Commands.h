#pragma once

#include <string>
#include <vector>

class IMessageBoxes;

// Exit codes of mvntool.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

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
// of them) and prints each element's state.
