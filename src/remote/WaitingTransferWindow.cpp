#include "remote/WaitingTransferWindow.h"

#include "remote/ProgressPercent.h"

#include <optional>
#include <utility>

bool CWaitingTransferWindow::Start() {
    return true;
}

void CWaitingTransferWindow::WaitForWorker(const std::function<void()>& onCancel) {
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

void CWaitingTransferWindow::Close() {
    const std::lock_guard lock(m_mutex);
    m_bClosed = true;
}

void CWaitingTransferWindow::SetCaptionFile(const std::string& path) {
    Show({Kind::Caption, CaptionForFile(path)});
}

void CWaitingTransferWindow::SetStatusText(const std::string& text) {
    Show({Kind::Status, text});
}

void CWaitingTransferWindow::SetTotal(int32_t total) {
    m_nUpper = total;
    Show({Kind::Total, {}, total});
}

void CWaitingTransferWindow::SetDone(int32_t position) {
    std::string text;
    const std::optional<int> percent = PercentFor(position, 0, m_nUpper);
    if (percent && *percent != m_nLastPercent) {
        m_nLastPercent = *percent;
        text = PercentText(*percent);
    }
    Show({Kind::Done, std::move(text), position});
}

void CWaitingTransferWindow::NotifyFinished() {
    const std::lock_guard lock(m_mutex);
    m_bFinished = true;
    m_changed.notify_all();
}

void CWaitingTransferWindow::PressCancel() {
    const std::lock_guard lock(m_mutex);
    m_bCancelPending = true;
    m_changed.notify_all();
}

bool CWaitingTransferWindow::WaitForFinish(std::chrono::milliseconds limit) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, limit, [this] { return m_bFinished; });
}

bool CWaitingTransferWindow::Closed() const {
    const std::lock_guard lock(m_mutex);
    return m_bClosed;
}

void CWaitingTransferWindow::Show(const Update&) {}

void CWaitingTransferWindow::PressCancelAndWait() {
    std::unique_lock lock(m_mutex);
    m_bCancelPending = true;
    const int delivered = m_nCancelsDelivered;
    m_changed.notify_all();
    m_changed.wait(lock, [&] { return m_nCancelsDelivered > delivered; });
}
