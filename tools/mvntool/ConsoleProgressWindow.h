#pragma once

#include <signal.h>

#include "BufferedLines.h"
#include "ConsoleMessageBoxes.h"
#include "files/FileDescriptor.h"
#include "remote/WaitingTransferWindow.h"

// The progress window of a command-line download: the caption, every status line and
// each new percentage on standard error, in the order the worker sends them (nothing when
// quiet, as for the checks of a cron job). The lines go out a few kilobytes at a time, at
// the end of the download, and at least every 100 ms while it runs, so a terminal still
// follows it. Ctrl-C is the Cancel button: it is taken from the signal queue while the
// download runs. Its boxes are printed like every box of a command-line run, quiet or not.
class CConsoleProgressWindow : public CWaitingTransferWindow {
public:
    explicit CConsoleProgressWindow(bool quiet = false);
    ~CConsoleProgressWindow() override;
    CConsoleProgressWindow(const CConsoleProgressWindow&) = delete;
    CConsoleProgressWindow& operator=(const CConsoleProgressWindow&) = delete;

    // Blocks SIGINT on the calling thread, so the worker started next inherits that too.
    bool Start() override;
    void WaitForWorker(const std::function<void()>& onCancel) override;
    // Lets SIGINT through again.
    void Close() override;
    void NotifyFinished() override;

private:
    void Show(const Update& update) override;

    bool m_bQuiet;
    CConsoleMessageBoxes m_boxes;
    CBufferedLines m_lines;
    CFileDescriptor m_finished;    // eventfd written by NotifyFinished
    CFileDescriptor m_interrupts;  // signalfd for SIGINT while started
    sigset_t m_previousMask{};
    bool m_bStarted = false;
};
