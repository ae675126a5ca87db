#include "ui/HelpRoutine.h"

namespace {

// User-interface thread only, like every help request.
HelpRoutine& TheHelpRoutine() {
    static HelpRoutine routine;
    return routine;
}

}  // namespace

void SetHelpRoutine(HelpRoutine routine) {
    TheHelpRoutine() = std::move(routine);
}

void RequestHelp(uint32_t context, uint32_t command) {
    if (TheHelpRoutine()) {
        TheHelpRoutine()(context, command);
    }
}
