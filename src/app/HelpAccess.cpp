#include "app/HelpAccess.h"
#include "app/HelpContext.h"

#include "i18n/MessageCatalogue.h"

#include <filesystem>
#include <system_error>

void CHelpAccess::WinHelp(uint32_t context, uint32_t command) {
    const HtmlHelpCall call = HtmlHelpCallFor(context, command, TheCatalogue().CurrentLcid());
    CallHtmlHelp(call.file, call.command, call.argument);
}

bool CHelpAccess::CallHtmlHelp(const std::string& file, uint32_t command, uint32_t argument) {
    if (m_bFailed) {
        return false;
    }
    for (const std::string& folder : m_arrFolders) {
        const std::filesystem::path path = std::filesystem::path(folder) / file;
        std::error_code error;
        if (std::filesystem::is_regular_file(path, error)) {
            m_viewer.ShowTopic(path.string(), command == HH_HELP_CONTEXT ? argument : 0);
            return true;
        }
    }
    m_bFailed = true;
    return false;
}

std::vector<std::string> HelpFolders(const std::string& programFile) {
    const std::filesystem::path folder = std::filesystem::path(programFile).parent_path();
    return {
        (folder / "help").string(),
        (folder.parent_path() / "share" / "morvane" / "help").string(),
        MORVANE_HELP_INSTALL_DIR,
    };
}
