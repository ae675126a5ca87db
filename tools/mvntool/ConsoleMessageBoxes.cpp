#include "ConsoleMessageBoxes.h"

#include "ConsoleOutput.h"

int CConsoleMessageBoxes::ShowBox(const std::string& text, const std::string& caption, BoxIcon,
                                  BoxButtons buttons, BoxOwner) {
    PrintError("%s: %s\n", caption.c_str(), text.c_str());
    return Answer(buttons);
}

int CConsoleMessageBoxes::ShowAppBox(const std::string& text, BoxIcon, BoxButtons buttons) {
    PrintError("%s\n", text.c_str());
    return Answer(buttons);
}

int CConsoleMessageBoxes::Answer(BoxButtons buttons) const {
    if (buttons == BoxButtons::Ok || buttons == BoxButtons::OkCancel) {
        return m_bAnswerYes ? kAnswerOk : kAnswerCancel;
    }
    return m_bAnswerYes ? kAnswerYes : kAnswerNo;
}
