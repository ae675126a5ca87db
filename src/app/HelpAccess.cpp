#include "app/HelpAccess.h"
#include "app/HelpContext.h"

#include "i18n/MessageCatalogue.h"

#include <filesystem>
#include <system_error>

void CHelpAccess::WinHelp(uint32_t context, uint32_t command) {
    const HtmlHelpCall call = HtmlHelpCallFor(context, command, TheCatalogue().CurrentLcid());
    CallHtmlHelp(call.file, call.command, call.argument);
}

int CHelpAccess::CallHtmlHelp(const std::string& file, uint32_t command, uint32_t argument) {
    if (m_bFailed) {
        return 0;
    }
    for (const std::string& folder : m_arrFolders) {
        const std::filesystem::path path = std::filesystem::path(folder) / file;
        std::error_code error;
        if (std::filesystem::is_regular_file(path, error)) {
            m_viewer.ShowTopic(path.string(), command == HH_HELP_CONTEXT ? argument : 0);
            return 1;
        }
    }
    m_bFailed = true;
    return 0;
}

std::vector<std::string> HelpFolders(const std::string& programFile) {
    const std::filesystem::path folder = std::filesystem::path(programFile).parent_path();
    return {
        (folder / "help").string(),
        (folder.parent_path() / "share" / "morvane" / "help").string(),
        MORVANE_HELP_INSTALL_DIR,
    };
}
