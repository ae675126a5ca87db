#include "remote/FtpTransfer.h"

#include "files/FileReplacement.h"
#include "i18n/MessageCatalogue.h"
#include "remote/FtpLookup.h"
#include "remote/ProgressUnits.h"
#include "remote/TransferText.h"
#include "remote/TransferWindow.h"

namespace {

// Where the body of a file goes while it arrives.
struct BodySink {
    CFileReplacement& file;
    CProgressUnits& units;
    bool writeFailed = false;
};

size_t OnBody(char* data, size_t size, size_t count, void* context) {
    auto& sink = *static_cast<BodySink*>(context);
    const size_t bytes = size * count;
    if (!sink.file.Write(data, bytes)) {
        sink.writeFailed = true;
        return 0;
    }
    return sink.units.Add(bytes) ? bytes : 0;
}

}  // namespace

void FtpTransferThread(CTransferJob& job, const FtpTransferOptions& options,
                       const TrustedKeys& trusted) {
    CFtpTransferSession session(job, options, trusted);
    const auto& arguments = job.Arguments();
    for (size_t i = 3; i + 1 < arguments.size() && !session.Failed(); i += 2) {
        session.FetchFtpFile(arguments[i], arguments[i + 1]);
    }
}

CFtpTransferSession::CFtpTransferSession(CTransferJob& job, const FtpTransferOptions& options,
                                         const TrustedKeys& trusted)
    : m_job(job), m_options(options), m_easy(MakeCurlEasy()) {
    const auto& arguments = job.Arguments();
    if (arguments.size() < 3) {
        return;
    }
    m_server = FtpServer{arguments[0], options.port, options.security};
    if (!IsSafeFtpLogin(arguments[1], arguments[2])) {
        FailUnsafeLogin();
        return;
    }
    if (!m_easy) {
        FailInternet(CURLE_FAILED_INIT);
        return;
    }
    CURL* easy = m_easy.get();
    ConfigureFtpHandle(easy, m_server, arguments[1], arguments[2], m_tls, trusted);
    m_reply.Attach(easy);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, m_errorBuffer);
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, kDownloadBufferBytes);
    if (const CURLcode code = BoundFtpWaits(easy, job.TimeoutMs(), m_watch); code != CURLE_OK) {
        FailInternet(code);
    }
}

void CFtpTransferSession::FetchFtpFile(const std::string& object, const std::string& localPath) {
    ITransferWindow& window = m_job.Window();
    if (m_job.CheckCancel()) {
        return;
    }
    window.SetCaptionFile(object);
    Show(FormatKeyText("IDS_CONNECTING", m_server.host));
    if (m_job.CheckCancel() || !Connect()) {
        return;
    }
    Show(object);
    if (!QueryFtpFile(object)) {
        return;
    }
    const int shift = ProgressShift(m_nFileSize);
    window.SetTotal(ToWindowValue(m_nFileSize, shift));
    CFileReplacement file(localPath);
    if (!file.Open()) {
        FailCreate(localPath);
        return;
    }
    window.SetCaptionFile(m_strServerPath);
    Show(FormatKeyText("IDS_OPENING", m_strServerPath));
    if (m_job.CheckCancel()) {
        return;
    }
    Retrieve(object, localPath, file);
}

bool CFtpTransferSession::QueryFtpFile(const std::string& object) {
    Show(FormatKeyText("IDS_GETFILEINFO", object));
    if (m_job.CheckCancel()) {
        return false;
    }
    const FtpFileFacts facts =
        RunToEnd(LookUpFtpFile(m_easy.get(), m_server, object, m_reply, m_performStep));
    if (facts.state == FtpFileState::NotFound) {
        const RemoteMessage missing =
            MakeRemoteMessage(RemoteBoxKind::Application, "IDS_ERR_FILENOTFOUNDFTP", object);
        Show(missing.text);
        m_job.FailWithBox(missing);
        return false;
    }
    if (m_job.CheckCancel()) {
        return false;
    }
    if (facts.state != FtpFileState::Found) {
        FailInternet(facts.code);
        return false;
    }
    m_strServerPath = FtpServerPath(object);
    m_nLookedUpSize = facts.size;
    // Small files show no percentage.
    m_nFileSize = facts.size < kTransferUnit ? 0 : facts.size;
    return true;
}

// Runs one step: the body of the object when `body`, else only what the control
// connection tells (login, time and size).
CURLcode CFtpTransferSession::Perform(const std::string& url, bool body, void* sink) {
    CURL* easy = m_easy.get();
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_NOBODY, body ? 0L : 1L);
    curl_easy_setopt(easy, CURLOPT_FILETIME, 0L);
    curl_easy_setopt(easy, CURLOPT_TRANSFERTEXT, body && !m_options.binary ? 1L : 0L);
    // The size is already known from the lookup, which also works on servers refusing
    // SIZE; asking again would fail the download there. Completeness is checked after.
    curl_easy_setopt(easy, CURLOPT_IGNORE_CONTENT_LENGTH, body ? 1L : 0L);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, sink ? &OnBody : &DiscardCurlData);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, sink);
    return RunToEnd(PerformPassiveThenActive(easy, m_server, m_performStep));
}

// Runs the handle's request as set up, until it ends, fails, is cancelled or times out.
CURLcode CFtpTransferSession::PerformStep() {
    m_reply.Clear();
    m_errorBuffer[0] = '\0';
    return m_job.Perform(m_easy.get(), m_watch);
}

// Logs in, or finds the session's connection still logged in.
bool CFtpTransferSession::Connect() {
    const CURLcode code = Perform(FtpServerUrl(m_server), false, nullptr);
    if (m_job.CheckCancel()) {
        return false;
    }
    if (code != CURLE_OK) {
        FailInternet(code);
        return false;
    }
    return true;
}

void CFtpTransferSession::Retrieve(const std::string& object, const std::string& localPath,
                                   CFileReplacement& file) {
    ITransferWindow& window = m_job.Window();
    const CByteLine byteLine;
    const int shift = ProgressShift(m_nFileSize);
    CProgressUnits units([&](int64_t total) {
        Show(byteLine.Format(total, m_nFileSize));
        window.SetDone(ToWindowValue(total, shift));
        return !m_job.CheckCancel();
    });
    BodySink sink{file, units};
    const CURLcode code = Perform(FtpObjectUrl(m_server, object), true, &sink);
    if (sink.writeFailed) {
        FailFile(file.Error(), localPath);
        return;
    }
    if (!m_job.CheckCancel()) {
        if (code != CURLE_OK) {
            FailInternet(code);
            return;
        }
        if (!ReceivedWholeFile()) {
            FailInternet(CURLE_PARTIAL_FILE);
            return;
        }
        units.Finish(false);
    }
    // A cancel seen up to here leaves the destination as it was.
    if (!m_job.CheckCancel() && !file.Commit()) {
        FailFile(file.Error(), localPath);
        return;
    }
    Show(FormatKeyText("IDS_CLOSINGFTP", m_server.host));
}

// A binary transfer of a file of known size ends with exactly that many bytes; a text
// transfer may change line ends, so its length is not checked.
bool CFtpTransferSession::ReceivedWholeFile() {
    if (!m_options.binary || m_nLookedUpSize < 0) {
        return true;
    }
    curl_off_t received = 0;
    curl_easy_getinfo(m_easy.get(), CURLINFO_SIZE_DOWNLOAD_T, &received);
    return received == m_nLookedUpSize;
}

void CFtpTransferSession::FailCreate(const std::string& localPath) {
    const RemoteMessage refused =
        MakeRemoteMessage(RemoteBoxKind::Application, "IDS_ERR_CREATEFILE", localPath);
    Show(refused.text);
    m_job.FailWithBox(refused);
    m_bFailed = true;
}

// Refused before connecting, so no text of the list reaches the server as a command.
void CFtpTransferSession::FailUnsafeLogin() {
    RemoteMessage failure = MakeRemoteMessage(RemoteBoxKind::Application, "IDS_ERR_INTERNET",
                                              static_cast<int>(CURLE_LOGIN_DENIED));
    failure.text.append("\n").append(Lookup("IDS_ERR_UNSAFEFTPLOGIN"));
    m_job.SetResult(std::move(failure));
    m_bFailed = true;
}

// What the server said, when it refused, follows on its own line, then what the user can do
// about a server that wants TLS or cannot do it; an untrusted server is named with its key.
void CFtpTransferSession::FailInternet(CURLcode code) {
    RemoteMessage failure =
        MakeRemoteMessage(RemoteBoxKind::Application, "IDS_ERR_INTERNET", static_cast<int>(code));
    if (const auto untrusted = m_tls.Untrusted(m_easy.get(), code)) {
        // Its own box, as a web download's refusal has, names the server and its key.
        failure.text.append("\n").append(DescribeUntrusted(*untrusted, code, m_errorBuffer));
        m_job.SetUntrusted(*untrusted);
        m_job.FailWithBox(failure);
        m_bFailed = true;
        return;
    }
    const std::string refusal = m_reply.Refusal();
    if (!refusal.empty()) {
        failure.text += "\n" + refusal;
    }
    if (const std::string advice = FtpSecurityAdvice(m_server, code, refusal); !advice.empty()) {
        failure.text.append("\n").append(advice);
    }
    m_job.SetResult(std::move(failure));
    m_bFailed = true;
}

void CFtpTransferSession::FailFile(int cause, const std::string& localPath) {
    m_job.SetResult(RemoteMessage{RemoteBoxKind::Application, "IDS_ERR_FILEFTP",
                                  FormatKeyText("IDS_ERR_FILEFTP", cause, localPath), cause});
    m_bFailed = true;
}

void CFtpTransferSession::Show(const std::string& text) {
    m_job.Window().SetStatusText(text);
}
