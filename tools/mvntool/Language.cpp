#include "Commands.h"

#include "i18n/MessageCatalogue.h"
#include "platform/ProgramPaths.h"
#include "platform/SettingsFile.h"

void PrepareLanguage(const std::string& databaseFile, IMessageBoxes& boxes) {
    RegisterShippedLanguages(TheCatalogue(), boxes);
    if (!databaseFile.empty()) {
        const CSettingsFile settings(WithExtension(databaseFile, "INI"));
        ApplyLanguageSetting(TheCatalogue(), settings.Language());
    }
}
