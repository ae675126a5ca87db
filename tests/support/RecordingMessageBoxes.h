#pragma once

#include "i18n/MessageBoxes.h"

#include <deque>
#include <mutex>
#include <string>
#include <vector>

// Message boxes for tests: records every box and answers from a script (Ok when the
// script is empty). Safe to call from worker threads.
class RecordingMessageBoxes : public IMessageBoxes {
public:
    struct Box {
        std::string text;
        std::string caption;  // "<application>" for the application's message box
        BoxIcon icon;
        BoxButtons buttons;
        BoxOwner owner;
    };

    BoxAnswer ShowBox(const std::string& text, const std::string& caption, BoxIcon icon,
                      BoxButtons buttons, BoxOwner owner) override;
    BoxAnswer ShowAppBox(const std::string& text, BoxIcon icon, BoxButtons buttons) override;

    void AnswerNext(BoxAnswer answer);
    std::vector<Box> Boxes() const;

private:
    BoxAnswer Record(Box box);

    mutable std::mutex m_mutex;
    std::vector<Box> m_boxes;
    std::deque<BoxAnswer> m_answers;
};
