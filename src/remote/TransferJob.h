#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "remote/Address.h"
#include "remote/CurlTransfer.h"
#include "remote/ReceiveWatch.h"
#include "remote/TransferOutcome.h"

class ITransferWindow;

// One download, shared by the calling thread, which keeps the progress window alive and
// forwards Cancel, and the worker thread, which does all network and file work and shows
// nothing: what it has to say goes into the outcome. The cancelled flag has the calling
// thread as its one writer; the outcome has the worker until the calling thread has
// joined it.
class CTransferJob {
public:
    explicit CTransferJob(ITransferWindow& window);
    ~CTransferJob();  // closes the window
    CTransferJob(const CTransferJob&) = delete;
    CTransferJob& operator=(const CTransferJob&) = delete;

    using Worker = std::function<void(CTransferJob&)>;
    // Calling thread: opens the window, runs `worker` on its own thread while the window
    // waits for it, then completes the outcome. The window stays open.
    void Run(const std::vector<std::string>& arguments, uint32_t timeoutMs, const Worker& worker);

    // After Run: what happened; the result's text is never empty.
    const TransferOutcome& Outcome() const { return m_outcome; }

    // Calling thread: asks the worker to stop, waking it at once if it waits on the network.
    void RequestCancel();

    // Worker thread.
    const std::vector<std::string>& Arguments() const { return m_arrArguments; }
    uint32_t TimeoutMs() const { return m_nTimeoutMs; }
    ITransferWindow& Window() { return m_window; }
    // Runs `easy` to its end through the job's multi handle and gives the result as
    // `watch` reports it. A cancel ends it within about a second in every wait: the multi
    // handle wakes at once, and `watch`, when attached, also stops the waits libcurl keeps
    // to itself.
    CURLcode Perform(CURL* easy, CReceiveWatch& watch);
    // True once the user has asked to cancel; the download then ends as cancelled, so
    // the worker asks this only where it stops when the answer is yes.
    bool CheckCancel();
    // The message that ends the download as a failure; the first one set stays.
    void SetResult(RemoteMessage result);
    // A box for the caller to show before the result.
    void RaiseBox(RemoteMessage box);
    // Both: a failure whose box text is also the result message.
    void FailWithBox(const RemoteMessage& box);
    // The server whose refusal ends the download.
    void SetUntrusted(const UntrustedServer& untrusted) { m_outcome.untrusted = untrusted; }
    // The SSH server whose host key ends the download.
    void SetRefusedHost(const SshHostRefusal& refusal) { m_outcome.refusedHost = refusal; }

private:
    void WorkerMain(const Worker& worker);
    void CompleteOutcome();

    ITransferWindow& m_window;
    CCurlMulti m_multi;
    std::vector<std::string> m_arrArguments;
    uint32_t m_nTimeoutMs = 0;
    std::atomic<bool> m_bCancelled{false};
    bool m_bStoppedByCancel = false;  // worker: it stopped because of a cancel
    bool m_bStarted = false;
    bool m_bResultSet = false;
    TransferOutcome m_outcome;
    std::thread m_worker;
};

// The FTP download's choices that the argument list does not carry.
struct FtpTransferOptions {
    uint16_t port = 21;
    bool binary = true;  // false: ASCII transfer
    FtpSecurity security = FtpSecurity::None;
};

// Downloads from an FTP server. Arguments: server, user, password, then pairs of remote
// object path and local path. `timeoutMs`, when not 0, replaces the bounds of every wait
// (connect, each reply, silence of the data connection). A TLS server is held to the key
// `trusted` names for it, if any.
void RunFtpTransfer(CTransferJob& job, const std::vector<std::string>& arguments,
                    uint32_t timeoutMs, const FtpTransferOptions& options = {},
                    const TrustedKeys& trusted = {});

// The SFTP download's choices that the argument list does not carry.
struct SftpTransferOptions {
    uint16_t port = 22;
    bool acceptNewHostKey = false;  // an unknown server's key is added to known_hosts
};

// Downloads from an SSH server. Arguments: server, user, password (empty: the SSH agent and
// the user's keys), then pairs of remote object path and local path. `timeoutMs`, when not
// 0, replaces the bounds of every wait.
void RunSftpTransfer(CTransferJob& job, const std::vector<std::string>& arguments,
                     uint32_t timeoutMs, const SftpTransferOptions& options = {});

// Downloads web addresses. Arguments: pairs of address and local path. `timeoutMs` bounds
// the connection and every wait for data; 0 keeps libcurl's defaults. TLS servers are held
// to the keys `trusted` names for them.
void RunHttpTransfer(CTransferJob& job, const std::vector<std::string>& arguments,
                     uint32_t timeoutMs, const TrustedKeys& trusted = {});
