#pragma once

#include "platform/SettingsFile.h"

#include <cstdint>
#include <string>

class IMessageBoxes;

// The state that the whole run shares: where the watch list lives, whether it has unsaved
// changes, and the settings file.
class CMorvaneApp {
public:
    std::string m_strDatabasePath;
    bool m_bModified = false;
    // Read and kept; nothing consults it: its default, 1, would start every existing user's
    // window hidden.
    int32_t m_nLaunchAsIcon = 1;

    // Fills the catalogue, checks it, finds the settings file and the database beside
    // `programFile`, and applies the `Language` setting. Any report of missing messages
    // goes to `boxes` before anything else is shown.
    void LoadSettings(const std::string& programFile, IMessageBoxes& boxes);

    const CSettingsFile& Settings() const { return m_settings; }

private:
    CSettingsFile m_settings{""};
};
