#include "app/MorvaneApp.h"

#include "i18n/MessageCatalogue.h"
#include "platform/ProgramPaths.h"

void CMorvaneApp::LoadSettings(const std::string& programFile, IMessageBoxes& boxes) {
    RegisterShippedLanguages(TheCatalogue(), boxes);
    const ProgramPaths paths = PathsForProgram(programFile);
    m_settings = CSettingsFile(paths.settingsFile);
    m_strDatabasePath = paths.databaseFile;
    m_nLaunchAsIcon = m_settings.LaunchAsIcon();
    ApplyLanguageSetting(TheCatalogue(), m_settings.Language());
}
