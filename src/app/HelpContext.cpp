#include "app/HelpContext.h"

#include "i18n/MessageTables.h"
#include "ui/HelpRoutine.h"
#include "ui/ResourceIds.h"

namespace {

struct ContextTopic {
    uint32_t dialog;
    uint32_t topic;
};

constexpr ContextTopic kContextTable[] = {
    {IDD_MORVANE, 1},
    {IDD_KELELEM, 2},
    {IDD_FTPPARAMETERS, 3},
};

}  // namespace

std::string HelpFileName(uint32_t lcid) {
    return lcid == kLcidFrench ? "Morvane_ketrin.html" : "Morvane_ketrin_us.html";
}

uint32_t HelpTopicForContext(uint32_t context) {
    for (const ContextTopic& entry : kContextTable) {
        if (entry.dialog == (context & 0xFFFF)) {
            return entry.topic;
        }
    }
    return 0;
}

HtmlHelpCall HtmlHelpCallFor(uint32_t context, uint32_t command, uint32_t lcid) {
    const uint32_t topic = command == HELP_CONTEXT ? HelpTopicForContext(context) : 0;
    if (topic != 0) {
        return {HelpFileName(lcid), HH_HELP_CONTEXT, topic};
    }
    return {HelpFileName(lcid), HH_DISPLAY_TOPIC, 0};
}
