#pragma once

#include <string>

// Where the settings file and the watch list live: beside the program file, named after
// its base name with the extensions "INI" and "MVN". When the program's folder is not
// writable, or is a system folder, they move to $XDG_CONFIG_HOME/morvane/ and
// $XDG_DATA_HOME/morvane/ under the same names.
struct ProgramPaths {
    std::string settingsFile;
    std::string databaseFile;
};

ProgramPaths PathsForProgram(const std::string& programFile);
// The same, with the choice already made: beside the program, or in the XDG folders.
ProgramPaths PathsForProgram(const std::string& programFile, bool besideProgram);

// True for the folders a package installs programs into (/bin, /usr and every folder under
// it): user files never go there, even for root, who could write them.
bool IsSystemFolder(const std::string& folder);

// The same folder and base name as `path`, with another extension ("watch.MVN" -> "watch.INI").
std::string WithExtension(const std::string& path, const std::string& extension);

// The running program's own file.
std::string CurrentProgramFile();
