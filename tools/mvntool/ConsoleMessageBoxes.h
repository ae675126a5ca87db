#pragma once

#include "i18n/MessageBoxes.h"

// Message boxes of a command-line run: caption and text on standard error, answered with
// a fixed answer (Ok or Yes unless told otherwise).
class CConsoleMessageBoxes : public IMessageBoxes {
public:
    explicit CConsoleMessageBoxes(bool answerYes = true) : m_bAnswerYes(answerYes) {}

    int ShowBox(const std::string& text, const std::string& caption, BoxIcon icon,
                BoxButtons buttons, BoxOwner owner) override;
    int ShowAppBox(const std::string& text, BoxIcon icon, BoxButtons buttons) override;

private:
    int Answer(BoxButtons buttons) const;

    bool m_bAnswerYes;
};
