#include "Commands.h"

#include "app/ProgramPaths.h"
#include "app/SettingsFile.h"
#include "i18n/MessageCatalogue.h"

void PrepareLanguage(const std::string& databaseFile, IMessageBoxes& boxes) {
    RegisterShippedLanguages(TheCatalogue(), boxes);
    if (!databaseFile.empty()) {
        const CSettingsFile settings(WithExtension(databaseFile, "INI"));
        ApplyLanguageSetting(TheCatalogue(), settings.Language());
    }
}
