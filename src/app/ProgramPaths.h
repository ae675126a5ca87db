#pragma once

#include <string>

// Where the settings file and the watch list live: beside the program file, named after
// its base name with the extensions "INI" and "MVN". When the program's folder is not
// writable they move to $XDG_CONFIG_HOME/morvane/ and $XDG_DATA_HOME/morvane/ under the
// same names.
struct ProgramPaths {
    std::string settingsFile;
    std::string databaseFile;
};

ProgramPaths PathsForProgram(const std::string& programFile);
// The same, with the folder's writability already known.
ProgramPaths PathsForProgram(const std::string& programFile, bool folderWritable);

// The same folder and base name as `path`, with another extension ("watch.MVN" -> "watch.INI").
std::string WithExtension(const std::string& path, const std::string& extension);

// The running program's own file.
std::string CurrentProgramFile();
