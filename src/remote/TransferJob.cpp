#include "remote/TransferJob.h"

#include <new>
#include <system_error>

#include "i18n/MessageCatalogue.h"
#include "remote/FtpTransfer.h"
#include "remote/HttpTransfer.h"
#include "remote/TransferText.h"
#include "remote/TransferWindow.h"

CTransferJob::CTransferJob(ITransferWindow& window, IMessageBoxes& boxes)
    : m_window(window), m_boxes(boxes) {}

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
        SetResultMessage(FormatKeyText("IDS_ERR_INTERNET", CURLE_FAILED_INIT));
        return;
    }
    m_window.WaitForWorker([this] { RequestCancel(); });
    m_worker.join();
    CompleteResultMessage();
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

void CTransferJob::SetResultMessage(const std::string& text) {
    if (m_strResultMessage.empty()) {
        m_strResultMessage = text;
    }
}

void CTransferJob::WorkerMain(const Worker& worker) {
    try {
        worker(*this);
    } catch (const std::bad_alloc&) {
        SetResultMessage(FormatKeyText("IDS_ERR_INTERNET", CURLE_OUT_OF_MEMORY));
    }
    m_bFinished.store(true, std::memory_order_release);
    m_window.NotifyFinished();
}

// A cancel that came after the worker's last look at it changes nothing: the message
// says what the worker did.
void CTransferJob::CompleteResultMessage() {
    if (!m_strResultMessage.empty()) {
        return;
    }
    m_bSucceeded = !m_bStoppedByCancel;
    m_strResultMessage = GetMessage(m_bStoppedByCancel ? "IDS_CANCELFTP" : "IDS_OKFTP");
}

void RunFtpTransfer(CTransferJob& job, const std::vector<std::string>& arguments,
                    uint32_t timeoutMs, const FtpTransferOptions& options) {
    job.Run(arguments, timeoutMs,
            [options](CTransferJob& worker) { FtpTransferThread(worker, options); });
}

void RunHttpTransfer(CTransferJob& job, const std::vector<std::string>& arguments,
                     uint32_t timeoutMs) {
    job.Run(arguments, timeoutMs, [](CTransferJob& worker) { HttpTransferThread(worker); });
}
