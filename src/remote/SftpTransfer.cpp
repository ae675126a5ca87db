#include "remote/SftpTransfer.h"

#include "files/FileReplacement.h"
#include "remote/FtpSupport.h"
#include "remote/TransferWindow.h"
#include "remote/UrlCanonicaliser.h"

void SftpTransferThread(CTransferJob& job, const SftpTransferOptions& options) {
    CSftpTransferSession session(job, options);
    const auto& arguments = job.Arguments();
    for (size_t i = 3; i + 1 < arguments.size() && !session.Failed(); i += 2) {
        session.FetchSftpFile(arguments[i], arguments[i + 1]);
    }
}

CSftpTransferSession::CSftpTransferSession(CTransferJob& job, const SftpTransferOptions& options)
    : m_job(job), m_options(options), m_easy(MakeCurlEasy()) {
    const auto& arguments = job.Arguments();
    if (arguments.size() < 3) {
        return;
    }
    m_login = SftpLogin{arguments[0], options.port, arguments[1], arguments[2]};
    if (!m_easy) {
        FailInternet(CURLE_FAILED_INIT);
        return;
    }
    CURL* easy = m_easy.get();
    ConfigureSftpHandle(easy, m_login, m_hostCheck, options.acceptNewHostKey);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, m_errorBuffer);
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, kDownloadBufferBytes);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &BodyCallback);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    // An FTP download's bounds: connect (the SSH handshake and login included) 60 s, then
    // 30 s without a byte from the server.
    if (const CURLcode code = BoundFtpWaits(easy, job.TimeoutMs(), m_watch); code != CURLE_OK) {
        FailInternet(code);
    }
}

void CSftpTransferSession::FetchSftpFile(const std::string& object, const std::string& localPath) {
    ITransferWindow& window = m_job.Window();
    if (m_bFailed || m_job.CheckCancel()) {
        return;
    }
    window.SetCaptionFile(object);
    Show(FormatKeyText("IDS_CONNECTING", m_login.host));
    if (m_job.CheckCancel() || !Connect()) {
        return;
    }
    Show(object);
    Show(FormatKeyText("IDS_GETFILEINFO", object));
    CFileReplacement file(localPath);
    if (!file.Open()) {
        const RemoteMessage refused =
            MakeRemoteMessage(RemoteBoxKind::Application, "IDS_ERR_CREATEFILE", localPath);
        Show(refused.text);
        m_job.FailWithBox(refused);
        m_bFailed = true;
        return;
    }
    const std::string serverPath = DecodeUrlEscapes(object);
    window.SetCaptionFile(serverPath);
    Show(FormatKeyText("IDS_OPENING", serverPath));
    if (m_job.CheckCancel()) {
        return;
    }
    Retrieve(object, localPath, file);
}

// Runs one request on the session's connection: the file's body, or only the login.
CURLcode CSftpTransferSession::Perform(const std::string& object, bool body) {
    CURL* easy = m_easy.get();
    m_errorBuffer[0] = '\0';
    curl_easy_setopt(easy, CURLOPT_URL, SftpUrl(m_login, object).c_str());
    curl_easy_setopt(easy, CURLOPT_NOBODY, body ? 0L : 1L);
    return m_job.Perform(easy, m_watch);
}

// Connects, checks the host key and logs in.
bool CSftpTransferSession::Connect() {
    const CURLcode code = Perform("/", false);
    if (m_job.CheckCancel()) {
        return false;
    }
    if (code != CURLE_OK) {
        FailInternet(code);
        return false;
    }
    return true;
}

void CSftpTransferSession::Retrieve(const std::string& object, const std::string& localPath,
                                    CFileReplacement& file) {
    m_file = &file;
    m_units.emplace([this](int64_t total) { return OnUnit(total); });
    const CURLcode code = Perform(object, true);
    m_file = nullptr;
    if (m_bWriteFailed) {
        FailFile(file.Error(), localPath);
        return;
    }
    if (!m_job.CheckCancel()) {
        if (code == CURLE_REMOTE_FILE_NOT_FOUND) {
            FailMissing(object);
            return;
        }
        if (code != CURLE_OK) {
            FailInternet(code);
            return;
        }
        if (!ReceivedWholeFile()) {
            FailInternet(CURLE_PARTIAL_FILE);
            return;
        }
        m_units->Finish(false);
    }
    // A cancel seen up to here leaves the destination as it was.
    if (!m_job.CheckCancel() && !file.Commit()) {
        FailFile(file.Error(), localPath);
        return;
    }
    Show(FormatKeyText("IDS_CLOSINGFTP", m_login.host));
}

// The size comes with the first bytes: libcurl reads it from the open file's attributes.
size_t CSftpTransferSession::OnBody(const char* data, size_t size) {
    if (!m_file) {
        return size;
    }
    if (m_nSize < 0) {
        curl_off_t length = -1;
        curl_easy_getinfo(m_easy.get(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        m_nSize = length;
        // Small files show no percentage.
        const int64_t shown = m_nSize < kTransferUnit ? 0 : m_nSize;
        m_nShift = ProgressShift(shown);
        m_job.Window().SetTotal(ToWindowValue(shown, m_nShift));
    }
    if (!m_file->Write(data, size)) {
        m_bWriteFailed = true;
        return 0;
    }
    return m_units->Add(size) ? size : 0;
}

bool CSftpTransferSession::OnUnit(int64_t total) {
    const int64_t shown = m_nSize < kTransferUnit ? 0 : m_nSize;
    Show(m_byteLine.Format(total, shown));
    m_job.Window().SetDone(ToWindowValue(total, m_nShift));
    return !m_job.CheckCancel();
}

bool CSftpTransferSession::ReceivedWholeFile() {
    curl_off_t received = 0;
    curl_easy_getinfo(m_easy.get(), CURLINFO_SIZE_DOWNLOAD_T, &received);
    return m_nSize < 0 ? received == 0 : received == m_nSize;
}

void CSftpTransferSession::FailMissing(const std::string& object) {
    const RemoteMessage missing =
        MakeRemoteMessage(RemoteBoxKind::Application, "IDS_ERR_FILENOTFOUNDFTP", object);
    Show(missing.text);
    m_job.FailWithBox(missing);
    m_bFailed = true;
}

// libcurl's description follows the code on its own line; a refused host key raises its own
// box, which names the key's fingerprint.
void CSftpTransferSession::FailInternet(CURLcode code) {
    RemoteMessage failure =
        MakeRemoteMessage(RemoteBoxKind::Application, "IDS_ERR_INTERNET", static_cast<int>(code));
    m_bFailed = true;
    if (const auto refusal = m_hostCheck.Refused(code)) {
        const RemoteMessage box = DescribeRefusedHost(*refusal);
        failure.text.append("\n").append(box.text);
        m_job.SetRefusedHost(*refusal);
        m_job.RaiseBox(box);
        m_job.SetResult(std::move(failure));
        return;
    }
    if (m_errorBuffer[0]) {
        failure.text.append("\n").append(m_errorBuffer);
    }
    m_job.SetResult(std::move(failure));
}

void CSftpTransferSession::FailFile(int cause, const std::string& localPath) {
    m_job.SetResult(RemoteMessage{RemoteBoxKind::Application, "IDS_ERR_FILEFTP",
                                  FormatKeyText("IDS_ERR_FILEFTP", cause, localPath), cause});
    m_bFailed = true;
}

void CSftpTransferSession::Show(const std::string& text) {
    m_job.Window().SetStatusText(text);
}
