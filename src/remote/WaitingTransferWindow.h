#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "remote/TransferWindow.h"

// A progress window with no screen of its own, for mvntool, the tests and the benchmarks.
// It turns the worker's updates into what a window shows (the caption, every status line,
// the percentage when it changes) and hands each to Show in the order sent; the calling
// thread waits for the end of the worker. Cancel may be pressed from any thread: the
// waiting thread then calls the job's onCancel, as a window's Cancel button does.
class CWaitingTransferWindow : public ITransferWindow {
public:
    enum class Kind { Caption, Status, Total, Done };
    // One update: `text` is the caption, the status line, or for Done the new percentage
    // ("42%"; empty when the percentage stays or the size is unknown); `value` is the
    // number of Total and Done.
    struct Update {
        Kind kind;
        std::string text;
        int32_t value = 0;
    };

    explicit CWaitingTransferWindow(IMessageBoxes& boxes) : m_boxes(boxes) {}

    bool Start() override;
    void WaitForWorker(const std::function<void()>& onCancel) override;
    void Close() override;
    IMessageBoxes& Boxes() override { return m_boxes; }

    void SetCaptionFile(const std::string& path) override;
    void SetStatusText(const std::string& text) override;
    void SetTotal(int32_t total) override;
    void SetDone(int32_t position) override;
    void NotifyFinished() override;

    // Any thread: the waiting thread calls onCancel for this press, once.
    void PressCancel();
    // Any thread: false when the worker has not ended within `limit`.
    bool WaitForFinish(std::chrono::milliseconds limit);
    // Any thread: true once Close has been called.
    bool Closed() const;

protected:
    // Worker thread: each update, in the order sent, with no lock held.
    virtual void Show(const Update& update);
    // Worker thread: presses Cancel and holds the worker until the waiting thread has
    // passed the press on, as a user's click between two updates would.
    void PressCancelAndWait();

private:
    IMessageBoxes& m_boxes;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_bClosed = false;
    bool m_bFinished = false;
    bool m_bCancelPending = false;
    int m_nCancelsDelivered = 0;
    // Worker thread only.
    int32_t m_nUpper = 0;
    int m_nLastPercent = -1;
};
