#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "RecordingMessageBoxes.h"
#include "remote/WaitingTransferWindow.h"

// The progress window for tests: records every update in order. Cancel is pressed from
// any thread with PressCancel, or when an update matches CancelAt's trigger; then the
// worker is held in that update until the cancel has reached the job.
class RecordingTransferWindow : public CWaitingTransferWindow {
public:
    RecordingTransferWindow() : CWaitingTransferWindow(m_boxes) {}

    void CancelAt(std::function<bool(const Update&)> trigger);
    // Any thread: blocks until the worker has shown `text` as a status line.
    void WaitForStatus(const std::string& text);

    std::vector<Update> Updates() const;
    std::vector<std::string> Texts(Kind kind) const;
    std::vector<int32_t> Values(Kind kind) const;
    // The percentages the window showed, each when it changed.
    std::vector<std::string> Percentages() const;

private:
    void Show(const Update& update) override;

    RecordingMessageBoxes m_boxes;
    mutable std::mutex m_mutex;
    std::condition_variable m_recorded;
    std::vector<Update> m_updates;
    std::function<bool(const Update&)> m_trigger;
};
