#include "ConsoleMessageBoxes.h"

#include "ConsoleOutput.h"

BoxAnswer CConsoleMessageBoxes::ShowBox(const std::string& text, const std::string& caption,
                                        BoxIcon, BoxButtons buttons, BoxOwner) {
    PrintError("%s: %s\n", caption.c_str(), text.c_str());
    return Answer(buttons);
}

BoxAnswer CConsoleMessageBoxes::ShowAppBox(const std::string& text, BoxIcon, BoxButtons buttons) {
    PrintError("%s\n", text.c_str());
    return Answer(buttons);
}

BoxAnswer CConsoleMessageBoxes::Answer(BoxButtons buttons) const {
    if (buttons == BoxButtons::Ok || buttons == BoxButtons::OkCancel) {
        return m_bAnswerYes ? BoxAnswer::Ok : BoxAnswer::Cancel;
    }
    return m_bAnswerYes ? BoxAnswer::Yes : BoxAnswer::No;
}
