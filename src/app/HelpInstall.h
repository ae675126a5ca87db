#pragma once

#include <string>

// Makes the program's manuals answer every help request of this run (F1 in a dialog, the
// help index of the menus), in the in-program help viewer.
void InstallProgramHelp(const std::string& programFile);

// The help index: the manual of the current language at its default topic.
void ShowHelpIndex();
