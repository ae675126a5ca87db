#pragma once

#include <signal.h>

#include <cstdint>

#include "BufferedLines.h"
#include "ConsoleMessageBoxes.h"
#include "remote/TransferWindow.h"

// The progress window of a command-line download: the caption, every status line and
// each new percentage on standard error, in the order the worker sends them (nothing when
// quiet, as for the checks of a cron job). The lines go out a few kilobytes at a time, at
// the end of the download, and at least every 100 ms while it runs, so a terminal still
// follows it. Ctrl-C is the Cancel button: it is taken from the signal queue while the
// download runs.
class ConsoleProgressWindow : public ITransferWindow {
public:
    explicit ConsoleProgressWindow(bool quiet = false);
    ~ConsoleProgressWindow() override;
    ConsoleProgressWindow(const ConsoleProgressWindow&) = delete;
    ConsoleProgressWindow& operator=(const ConsoleProgressWindow&) = delete;

    // Blocks SIGINT on the calling thread, so the worker started next inherits that too.
    bool Start() override;
    void WaitForWorker(const std::function<void()>& onCancel) override;
    // Lets SIGINT through again.
    void Close() override;
    // Printed like every box of a command-line run, quiet or not.
    IMessageBoxes& Boxes() override { return m_boxes; }

    void SetCaptionFile(const std::string& path) override;
    void SetStatusText(const std::string& text) override;
    void SetTotal(int32_t total) override;
    void SetDone(int32_t position) override;
    void NotifyFinished() override;

private:
    bool m_bQuiet;
    ConsoleMessageBoxes m_boxes;
    CBufferedLines m_lines;
    int m_finished;         // eventfd written by NotifyFinished
    int m_interrupts = -1;  // signalfd for SIGINT while started
    sigset_t m_previousMask{};
    bool m_bStarted = false;
    // Worker thread only.
    int32_t m_nUpper = 0;
    int m_nLastPercent = -1;
};
