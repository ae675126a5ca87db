#pragma once

#include <string>

// The texts of the new-version notice. Its message is the head, the copy and the sentence
// that says what Ok does, joined as the catalogue's texts join them (their line breaks
// included).
struct NoticeTexts {
    std::string head;    // "New file version found !\n\n"
    std::string copy;    // the element's copy
    std::string action;  // "\n\nUse Ok to COPY the new file !", or "" without an action
    std::string timeText;

    std::string Message() const { return head + copy + action; }
    // The head and the action's sentence as lines of their own.
    std::string HeadLine() const { return WithoutLineBreaks(head); }
    std::string ActionLine() const { return WithoutLineBreaks(action); }

private:
    static std::string WithoutLineBreaks(const std::string& text) {
        const size_t first = text.find_first_not_of('\n');
        return first == std::string::npos
                   ? ""
                   : text.substr(first, text.find_last_not_of('\n') - first + 1);
    }
};
