#include "remote/TransferJob.h"

#include <new>
#include <system_error>

#include "i18n/MessageCatalogue.h"
#include "remote/FtpTransfer.h"
#include "remote/HttpTransfer.h"
#include "remote/SftpTransfer.h"
#include "remote/TransferWindow.h"

CTransferJob::CTransferJob(ITransferWindow& window) : m_window(window) {}

CTransferJob::~CTransferJob() {
    if (m_worker.joinable()) {
        m_worker.join();
    }
    if (m_bStarted) {
        m_window.Close();
    }
}

void CTransferJob::Run(const std::vector<std::string>& arguments, uint32_t timeoutMs,
                       const Worker& worker) {
    m_arrArguments = arguments;
    m_nTimeoutMs = timeoutMs;
    m_bStarted = true;
    m_window.Start();
    try {
        m_worker = std::thread(&CTransferJob::WorkerMain, this, worker);
    } catch (const std::system_error&) {
        SetResult(
            MakeRemoteMessage(RemoteBoxKind::Application, "IDS_ERR_INTERNET", CURLE_FAILED_INIT));
        return;
    }
    m_window.WaitForWorker([this] { RequestCancel(); });
    m_worker.join();
    CompleteOutcome();
}

void CTransferJob::RequestCancel() {
    m_bCancelled.store(true, std::memory_order_release);
    m_multi.Wake();
}

bool CTransferJob::CheckCancel() {
    if (m_bCancelled.load(std::memory_order_acquire)) {
        m_bStoppedByCancel = true;
    }
    return m_bStoppedByCancel;
}

CURLcode CTransferJob::Perform(CURL* easy, CReceiveWatch& watch) {
    const auto cancelled = [this] { return CheckCancel(); };
    watch.StopWhen(cancelled);
    return watch.Result(m_multi.Perform(easy, cancelled));
}

void CTransferJob::SetResult(RemoteMessage result) {
    if (!m_bResultSet) {
        m_bResultSet = true;
        result.kind = RemoteBoxKind::Application;
        m_outcome.result = std::move(result);
    }
}

void CTransferJob::RaiseBox(RemoteMessage box) {
    m_outcome.boxes.push_back(std::move(box));
}

void CTransferJob::FailWithBox(const RemoteMessage& box) {
    RaiseBox(box);
    SetResult(box);
}

void CTransferJob::WorkerMain(const Worker& worker) {
    try {
        worker(*this);
    } catch (const std::bad_alloc&) {
        SetResult(
            MakeRemoteMessage(RemoteBoxKind::Application, "IDS_ERR_INTERNET", CURLE_OUT_OF_MEMORY));
    }
    m_window.NotifyFinished();
}

// A cancel that came after the worker's last look at it changes nothing: the outcome
// says what the worker did.
void CTransferJob::CompleteOutcome() {
    if (m_bResultSet) {
        m_outcome.status = TransferStatus::Failed;
        return;
    }
    const char* key = m_bStoppedByCancel ? "IDS_CANCELFTP" : "IDS_OKFTP";
    m_outcome.status = m_bStoppedByCancel ? TransferStatus::Cancelled : TransferStatus::Succeeded;
    m_outcome.result = RemoteMessage{RemoteBoxKind::Application, key, GetMessage(key), 0};
}

void RunFtpTransfer(CTransferJob& job, const std::vector<std::string>& arguments,
                    uint32_t timeoutMs, const FtpTransferOptions& options,
                    const TrustedKeys& trusted) {
    job.Run(arguments, timeoutMs, [&options, &trusted](CTransferJob& worker) {
        FtpTransferThread(worker, options, trusted);
    });
}

void RunSftpTransfer(CTransferJob& job, const std::vector<std::string>& arguments,
                     uint32_t timeoutMs, const SftpTransferOptions& options) {
    job.Run(arguments, timeoutMs,
            [&options](CTransferJob& worker) { SftpTransferThread(worker, options); });
}

void RunHttpTransfer(CTransferJob& job, const std::vector<std::string>& arguments,
                     uint32_t timeoutMs, const TrustedKeys& trusted) {
    job.Run(arguments, timeoutMs,
            [&trusted](CTransferJob& worker) { HttpTransferThread(worker, trusted); });
}
