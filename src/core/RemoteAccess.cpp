#include "core/RemoteAccess.h"

#include "remote/KnownHosts.h"
#include "remote/TransferJob.h"
#include "remote/TransferWindow.h"

bool CRemoteAccess::IsInternetReachable() {
    return ::IsInternetReachable(m_strProbeHost);
}

std::vector<ProbeResult> CRemoteAccess::ProbeSideBySide(const std::vector<ProbeRequest>& requests) {
    if (!m_bAcceptNewHostKeys) {
        return ::ProbeSideBySide(requests, m_limits, Keys());
    }
    std::vector<ProbeRequest> accepting = requests;
    for (ProbeRequest& request : accepting) {
        request.sftp.acceptNewHostKey = true;
    }
    return ::ProbeSideBySide(accepting, m_limits, Keys());
}

// The job closes the window when it goes, so the outcome is shown before.
void CRemoteAccess::DownloadFtp(const std::vector<std::string>& arguments, uint16_t port,
                                bool binary, FtpSecurity security,
                                const TransferPresenter& present) {
    const std::unique_ptr<ITransferWindow> window = m_makeWindow();
    CTransferJob job(*window);
    RunFtpTransfer(job, arguments, 0, FtpTransferOptions{port, binary, security}, Keys());
    present(job.Outcome(), window->Boxes());
}

void CRemoteAccess::DownloadHttp(const std::vector<std::string>& arguments, uint32_t timeoutMs,
                                 const TransferPresenter& present) {
    const std::unique_ptr<ITransferWindow> window = m_makeWindow();
    CTransferJob job(*window);
    RunHttpTransfer(job, arguments, timeoutMs, Keys());
    present(job.Outcome(), window->Boxes());
}

void CRemoteAccess::DownloadSftp(const std::vector<std::string>& arguments, uint16_t port,
                                 const TransferPresenter& present) {
    const std::unique_ptr<ITransferWindow> window = m_makeWindow();
    CTransferJob job(*window);
    RunSftpTransfer(job, arguments, 0, SftpTransferOptions{port, m_bAcceptNewHostKeys});
    present(job.Outcome(), window->Boxes());
}

bool CUserKnownHosts::Add(const SshHostRefusal& unknown) {
    return AddKnownHost(unknown.knownHosts, unknown.name, unknown.key);
}
