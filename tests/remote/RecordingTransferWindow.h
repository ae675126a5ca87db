#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "RecordingMessageBoxes.h"
#include "remote/TransferWindow.h"

// The progress window for tests: records every update in order, and the percentages a
// window would show. Cancel is pressed from any thread with PressCancel, or when an update
// matches CancelAt's trigger; then the worker is held in that update until the cancel
// has reached the job, as a user's click between two updates would.
class RecordingTransferWindow : public ITransferWindow {
public:
    enum class Kind { Caption, Status, Total, Done };
    struct Update {
        Kind kind;
        std::string text;
        int32_t value = 0;
    };

    bool Start() override;
    void WaitForWorker(const std::function<void()>& onCancel) override;
    void Close() override;
    IMessageBoxes& Boxes() override { return m_boxes; }
    void SetCaptionFile(const std::string& path) override;
    void SetStatusText(const std::string& text) override;
    void SetTotal(int32_t total) override;
    void SetDone(int32_t position) override;
    void NotifyFinished() override;

    void PressCancel();
    void CancelAt(std::function<bool(const Update&)> trigger);
    // Any thread: blocks until the worker has shown `text` as a status line.
    void WaitForStatus(const std::string& text);
    // Any thread: false when the worker has not ended within `limit`.
    bool WaitForFinish(std::chrono::milliseconds limit);

    std::vector<Update> Updates() const;
    std::vector<std::string> Texts(Kind kind) const;
    std::vector<int32_t> Values(Kind kind) const;
    std::vector<std::string> Percentages() const;
    bool Closed() const;

private:
    void Record(Update update);

    RecordingMessageBoxes m_boxes;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Update> m_updates;
    std::vector<std::string> m_percentages;
    std::function<bool(const Update&)> m_trigger;
    int32_t m_nUpper = 0;
    bool m_bClosed = false;
    bool m_bFinished = false;
    bool m_bCancelPending = false;
    int m_nCancelsDelivered = 0;
};
