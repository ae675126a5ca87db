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
