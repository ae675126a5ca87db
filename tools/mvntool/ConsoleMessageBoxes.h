#pragma once

#include "i18n/MessageBoxes.h"

// Message boxes of a command-line run: caption and text on standard error, answered with
// a fixed answer (Ok or Yes unless told otherwise).
class ConsoleMessageBoxes : public IMessageBoxes {
public:
    explicit ConsoleMessageBoxes(bool answerYes = true) : m_bAnswerYes(answerYes) {}

    int ShowBox(const std::string& text, const std::string& caption, BoxIcon icon,
                BoxButtons buttons, BoxOwner owner) override;
    int ShowAppBox(const std::string& text, BoxIcon icon, BoxButtons buttons) override;

private:
    int Answer(BoxButtons buttons) const;

    bool m_bAnswerYes;
};
