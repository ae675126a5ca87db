#pragma once

#include <cstdint>
#include <functional>
#include <string>

class IMessageBoxes;

// The progress window of one download, as the download job sees it. The program shows a
// real window; mvntool prints the lines; tests record them.
class ITransferWindow {
public:
    virtual ~ITransferWindow() = default;

    // Calling thread: show the window and disable its owner; false when it cannot be shown.
    virtual bool Start() = 0;
    // Calling thread: keep the user interface alive, without blocking it and without
    // spinning, until NotifyFinished. Each Cancel, Escape or close-box press calls
    // onCancel on the calling thread. When the program ends meanwhile, it calls onCancel
    // and returns at once: the caller then joins a worker that is stopping.
    virtual void WaitForWorker(const std::function<void()>& onCancel) = 0;
    // Calling thread: close the window and enable its owner again.
    virtual void Close() = 0;
    // Calling thread: boxes owned by this window, for what the download has to say while
    // the window is open; their "main window" is this one.
    virtual IMessageBoxes& Boxes() = 0;

    // Worker thread. Each returns at once; the window applies them in the order sent.
    virtual void SetCaptionFile(const std::string& path) = 0;
    virtual void SetStatusText(const std::string& text) = 0;
    virtual void SetTotal(int32_t total) = 0;
    virtual void SetDone(int32_t position) = 0;
    // Worker thread, last call of the worker: ends WaitForWorker after every update above.
    virtual void NotifyFinished() = 0;
};
