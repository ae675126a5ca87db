#include "RecordingTransferWindow.h"

#include <algorithm>

#include "remote/ProgressPercent.h"

bool RecordingTransferWindow::Start() {
    return true;
}

void RecordingTransferWindow::WaitForWorker(const std::function<void()>& onCancel) {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_bFinished || m_bCancelPending; });
        if (!m_bCancelPending) {
            return;
        }
        m_bCancelPending = false;
        lock.unlock();
        onCancel();
        lock.lock();
        ++m_nCancelsDelivered;
        m_changed.notify_all();
    }
}

void RecordingTransferWindow::Close() {
    std::lock_guard lock(m_mutex);
    m_bClosed = true;
}

void RecordingTransferWindow::SetCaptionFile(const std::string& path) {
    Record({Kind::Caption, CaptionForFile(path)});
}

void RecordingTransferWindow::SetStatusText(const std::string& text) {
    Record({Kind::Status, text});
}

void RecordingTransferWindow::SetTotal(int32_t total) {
    Record({Kind::Total, {}, total});
}

void RecordingTransferWindow::SetDone(int32_t position) {
    Record({Kind::Done, {}, position});
}

void RecordingTransferWindow::NotifyFinished() {
    std::lock_guard lock(m_mutex);
    m_bFinished = true;
    m_changed.notify_all();
}

void RecordingTransferWindow::PressCancel() {
    std::lock_guard lock(m_mutex);
    m_bCancelPending = true;
    m_changed.notify_all();
}

void RecordingTransferWindow::CancelAt(std::function<bool(const Update&)> trigger) {
    std::lock_guard lock(m_mutex);
    m_trigger = std::move(trigger);
}

void RecordingTransferWindow::WaitForStatus(const std::string& text) {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] {
        return std::any_of(m_updates.begin(), m_updates.end(), [&](const Update& update) {
            return update.kind == Kind::Status && update.text == text;
        });
    });
}

bool RecordingTransferWindow::WaitForFinish(std::chrono::milliseconds limit) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, limit, [this] { return m_bFinished; });
}

void RecordingTransferWindow::Record(Update update) {
    std::unique_lock lock(m_mutex);
    if (update.kind == Kind::Total) {
        m_nUpper = update.value;
    }
    if (update.kind == Kind::Done) {
        const auto percent = PercentFor(update.value, 0, m_nUpper);
        if (percent && (m_percentages.empty() || m_percentages.back() != PercentText(*percent))) {
            m_percentages.push_back(PercentText(*percent));
        }
    }
    m_updates.push_back(update);
    m_changed.notify_all();
    if (m_trigger && m_trigger(update)) {
        m_trigger = nullptr;
        m_bCancelPending = true;
        const int delivered = m_nCancelsDelivered;
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return m_nCancelsDelivered > delivered; });
    }
}

std::vector<RecordingTransferWindow::Update> RecordingTransferWindow::Updates() const {
    std::lock_guard lock(m_mutex);
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
    std::lock_guard lock(m_mutex);
    return m_percentages;
}

bool RecordingTransferWindow::Closed() const {
    std::lock_guard lock(m_mutex);
    return m_bClosed;
}
