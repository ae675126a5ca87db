#pragma once

#include <filesystem>

// The program's folder under one of the user's base folders: `variable` ($XDG_CONFIG_HOME,
// $XDG_DATA_HOME, $XDG_CACHE_HOME) when it holds an absolute path, else `fallbackUnderHome`
// under $HOME; then "morvane". Nothing is created.
std::filesystem::path UserFolder(const char* variable, const char* fallbackUnderHome);
