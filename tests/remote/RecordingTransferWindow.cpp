#include "RecordingTransferWindow.h"

#include <algorithm>
#include <utility>

void RecordingTransferWindow::CancelAt(std::function<bool(const Update&)> trigger) {
    const std::lock_guard lock(m_mutex);
    m_trigger = std::move(trigger);
}

void RecordingTransferWindow::WaitForStatus(const std::string& text) {
    std::unique_lock lock(m_mutex);
    m_recorded.wait(lock, [&] {
        return std::any_of(m_updates.begin(), m_updates.end(), [&](const Update& update) {
            return update.kind == Kind::Status && update.text == text;
        });
    });
}

void RecordingTransferWindow::Show(const Update& update) {
    std::function<bool(const Update&)> trigger;
    {
        const std::lock_guard lock(m_mutex);
        m_updates.push_back(update);
        m_recorded.notify_all();
        if (m_trigger && m_trigger(update)) {
            trigger = std::exchange(m_trigger, nullptr);
        }
    }
    if (trigger) {
        PressCancelAndWait();
    }
}

std::vector<RecordingTransferWindow::Update> RecordingTransferWindow::Updates() const {
    const std::lock_guard lock(m_mutex);
    return m_updates;
}

std::vector<std::string> RecordingTransferWindow::Texts(Kind kind) const {
    std::vector<std::string> texts;
    for (const Update& update : Updates()) {
        if (update.kind == kind) {
            texts.push_back(update.text);
        }
    }
    return texts;
}

std::vector<int32_t> RecordingTransferWindow::Values(Kind kind) const {
    std::vector<int32_t> values;
    for (const Update& update : Updates()) {
        if (update.kind == kind) {
            values.push_back(update.value);
        }
    }
    return values;
}

std::vector<std::string> RecordingTransferWindow::Percentages() const {
    std::vector<std::string> percentages = Texts(Kind::Done);
    std::erase(percentages, std::string());
    return percentages;
}
