#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "remote/CurlTransfer.h"

class IMessageBoxes;
class ITransferWindow;

// One download, shared by the calling thread, which keeps the progress window alive and
// forwards Cancel, and the worker thread, which does all network and file work. The
// cancelled flag has the calling thread as its one writer; the finished flag and the
// result message have the worker, which completes the message before setting finished.
class CTransferJob {
public:
    CTransferJob(ITransferWindow& window, IMessageBoxes& boxes);
    ~CTransferJob();  // closes the window
    CTransferJob(const CTransferJob&) = delete;
    CTransferJob& operator=(const CTransferJob&) = delete;

    using Worker = std::function<void(CTransferJob&)>;
    // Calling thread: opens the window, runs `worker` on its own thread while the window
    // waits for it, then completes the result message. The window stays open.
    void Run(const std::vector<std::string>& arguments, uint32_t timeoutMs, const Worker& worker);

    // After Run: never empty.
    const std::string& ResultMessage() const { return m_strResultMessage; }
    // After Run: true only for "Internet Download Completed Successfully".
    bool Succeeded() const { return m_bSucceeded; }
    // True once the worker has ended.
    bool IsFinished() const { return m_bFinished.load(std::memory_order_acquire); }

    // Calling thread: asks the worker to stop, waking it at once if it waits on the network.
    void RequestCancel();

    // Worker thread.
    const std::vector<std::string>& Arguments() const { return m_arrArguments; }
    uint32_t TimeoutMs() const { return m_nTimeoutMs; }
    ITransferWindow& Window() { return m_window; }
    IMessageBoxes& Boxes() { return m_boxes; }
    CCurlMulti& Multi() { return m_multi; }
    // True once the user has asked to cancel; the download then ends as cancelled, so
    // the worker asks this only where it stops when the answer is yes.
    bool CheckCancel();
    // The text that ends the download; the first one set stays.
    void SetResultMessage(const std::string& text);

private:
    void WorkerMain(const Worker& worker);
    void CompleteResultMessage();

    ITransferWindow& m_window;
    IMessageBoxes& m_boxes;
    CCurlMulti m_multi;
    std::vector<std::string> m_arrArguments;
    uint32_t m_nTimeoutMs = 0;
    std::atomic<bool> m_bFinished{false};
    std::atomic<bool> m_bCancelled{false};
    bool m_bStoppedByCancel = false;  // worker: it stopped because of a cancel
    bool m_bStarted = false;
    bool m_bSucceeded = false;
    std::string m_strResultMessage;
    std::thread m_worker;
};

// The FTP download's choices that the argument list does not carry.
struct FtpTransferOptions {
    uint16_t port = 21;
    bool binary = true;  // false: ASCII transfer
};

// Downloads from an FTP server. Arguments: server, user, password, then pairs of remote
// object path and local path. `timeoutMs` 0 keeps libcurl's defaults.
void RunFtpTransfer(CTransferJob& job, const std::vector<std::string>& arguments,
                    uint32_t timeoutMs, const FtpTransferOptions& options = {});

// Downloads web addresses. Arguments: pairs of address and local path. `timeoutMs` bounds
// the connection and every wait for data; 0 keeps libcurl's defaults.
void RunHttpTransfer(CTransferJob& job, const std::vector<std::string>& arguments,
                     uint32_t timeoutMs);
