#include "RecordingMessageBoxes.h"

BoxAnswer RecordingMessageBoxes::ShowBox(const std::string& text, const std::string& caption,
                                         BoxIcon icon, BoxButtons buttons, BoxOwner owner) {
    return Record({text, caption, icon, buttons, owner});
}

BoxAnswer RecordingMessageBoxes::ShowAppBox(const std::string& text, BoxIcon icon,
                                            BoxButtons buttons) {
    return Record({text, "<application>", icon, buttons, BoxOwner::MainWindow});
}

void RecordingMessageBoxes::AnswerNext(BoxAnswer answer) {
    std::lock_guard lock(m_mutex);
    m_answers.push_back(answer);
}

std::vector<RecordingMessageBoxes::Box> RecordingMessageBoxes::Boxes() const {
    std::lock_guard lock(m_mutex);
    return m_boxes;
}

BoxAnswer RecordingMessageBoxes::Record(Box box) {
    std::lock_guard lock(m_mutex);
    m_boxes.push_back(std::move(box));
    if (m_answers.empty()) {
        return BoxAnswer::Ok;
    }
    const BoxAnswer answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}
