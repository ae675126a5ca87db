#pragma once

#include "i18n/MessageBoxes.h"

// Message boxes of a command-line run: caption and text on standard error, answered with
// a fixed answer (Ok or Yes unless told otherwise).
class CConsoleMessageBoxes : public IMessageBoxes {
public:
    explicit CConsoleMessageBoxes(bool answerYes = true) : m_bAnswerYes(answerYes) {}

    BoxAnswer ShowBox(const std::string& text, const std::string& caption, BoxIcon icon,
                      BoxButtons buttons, BoxOwner owner) override;
    BoxAnswer ShowAppBox(const std::string& text, BoxIcon icon, BoxButtons buttons) override;

private:
    BoxAnswer Answer(BoxButtons buttons) const;

    bool m_bAnswerYes;
};
