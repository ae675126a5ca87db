#include "remote/HttpTransfer.h"

#include <algorithm>
#include <optional>

#include "i18n/MessageCatalogue.h"
#include "remote/CurlTransfer.h"
#include "remote/HttpSupport.h"
#include "files/FileReplacement.h"
#include "remote/ProgressUnits.h"
#include "remote/TransferJob.h"
#include "remote/TransferText.h"
#include "remote/TransferWindow.h"

namespace {

// One file of an HTTP download, from the request to the replaced destination.
class CHttpFetch {
public:
    CHttpFetch(CTransferJob& job, const std::string& address, const std::string& localPath,
               const TrustedKeys& trusted)
        : m_job(job), m_strAddress(address), m_strLocalPath(localPath), m_trusted(trusted) {}

    void Run();

private:
    bool Prepare(CURL* easy);
    void Finish(CURL* easy, CURLcode code);
    bool OnHeadersDone();
    size_t OnHeader(const char* line, size_t size);
    size_t OnBody(const char* data, size_t size);
    bool OnUnit(int64_t total);
    void Fail(const std::string& key, int code);
    void Fail(const std::string& key, const std::string& argument);
    void Fail(const RemoteMessage& box);
    void Show(const std::string& text) { m_job.Window().SetStatusText(text); }

    static size_t HeaderCallback(char* data, size_t size, size_t count, void* self) {
        return static_cast<CHttpFetch*>(self)->OnHeader(data, size * count);
    }
    static size_t BodyCallback(char* data, size_t size, size_t count, void* self) {
        return static_cast<CHttpFetch*>(self)->OnBody(data, size * count);
    }

    CTransferJob& m_job;
    const std::string& m_strAddress;
    const std::string& m_strLocalPath;
    const TrustedKeys& m_trusted;
    HttpTarget m_target;
    CTlsTrust m_tls;
    char m_errorBuffer[CURL_ERROR_SIZE] = "";
    CHttpHeaders m_headers;
    CReceiveWatch m_watch;
    std::optional<CFileReplacement> m_file;
    std::optional<CProgressUnits> m_units;
    const CByteLine m_byteLine;
    int64_t m_nSize = 0;
    int m_nShift = 0;
    bool m_bHeadersDone = false;
    bool m_bEnded = false;  // a failure has been reported
};

void CHttpFetch::Run() {
    CurlEasy easy = MakeCurlEasy();
    if (!easy) {
        Fail(RemoteMessage{RemoteBoxKind::Error, "IDS_ERR_CONNECTHTTP",
                           Lookup("IDS_ERR_CONNECTHTTP"), 0});
        return;
    }
    if (!Prepare(easy.get())) {
        return;
    }
    // Named as an FTP download is, so the window tells what it fetches and cannot be taken
    // for the result box, whose caption is the program's name.
    m_job.Window().SetCaptionFile(m_target.path);
    Show(FormatKeyText("IDS_CONNECTING", m_target.host));
    curl_easy_setopt(easy.get(), CURLOPT_HEADERFUNCTION, &HeaderCallback);
    curl_easy_setopt(easy.get(), CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy.get(), CURLOPT_WRITEFUNCTION, &BodyCallback);
    curl_easy_setopt(easy.get(), CURLOPT_BUFFERSIZE, kDownloadBufferBytes);
    curl_easy_setopt(easy.get(), CURLOPT_WRITEDATA, this);
    curl_easy_setopt(easy.get(), CURLOPT_ERRORBUFFER, m_errorBuffer);
    Finish(easy.get(), m_job.Perform(easy.get(), m_watch));
}

// Time-outs, the split of the address and the request's settings.
bool CHttpFetch::Prepare(CURL* easy) {
    if (const uint32_t timeout = m_job.TimeoutMs()) {
        if (const CURLcode code = SetHttpTimeouts(easy, timeout, m_watch); code != CURLE_OK) {
            Fail("IDS_ERR_CONNECT", code);
            return false;
        }
    }
    int code = 0;
    switch (SplitHttpAddress(m_strAddress, m_target, code)) {
        case HttpSplit::Malformed:
            Fail("IDS_ERR_SPLITURL", code);
            return false;
        case HttpSplit::NotHttp:
            Fail("IDS_ERR_NOTHTTP", m_strAddress);
            return false;
        case HttpSplit::Ok:
            break;
    }
    ConfigureHttpHandle(easy, m_strAddress, m_target, m_tls, m_trusted);
    return true;
}

void CHttpFetch::Finish(CURL* easy, CURLcode code) {
    if (m_bEnded) {
        return;
    }
    if (m_job.CheckCancel()) {
        // Cancelled in the read loop: the loop's end still closes the connection.
        if (m_file) {
            Show(FormatKeyText("IDS_CLOSINGFTP", m_strAddress));
        }
        return;
    }
    std::optional<UntrustedServer> untrusted;
    if (const auto refusal = UntrustedFailure(easy, code, m_tls, m_errorBuffer, untrusted)) {
        m_job.SetUntrusted(*untrusted);
        Fail(*refusal);
        return;
    }
    if (code != CURLE_OK) {
        if (m_bHeadersDone) {
            Fail("IDS_ERR_READFILEHTTP", code);
        } else if (m_headers.IsRedirect()) {
            Fail(RedirectFailure(m_headers.Status(), code));
        } else {
            Fail("IDS_ERR_SENDREQUESTHTTP", code);
        }
        return;
    }
    // An empty body gives no write, so the headers may still wait for their turn.
    if (!OnHeadersDone()) {
        return;
    }
    m_units->Finish(true);
    if (m_job.CheckCancel()) {
        Show(FormatKeyText("IDS_CLOSINGFTP", m_strAddress));
        return;
    }
    if (!m_file->Commit()) {
        Fail("IDS_ERR_WRITEFILE", m_strLocalPath);
        return;
    }
    Show(FormatKeyText("IDS_CLOSINGFTP", m_strAddress));
}

// The final answer's headers are in: its status, its size, then the local file.
bool CHttpFetch::OnHeadersDone() {
    if (m_bHeadersDone) {
        return m_units.has_value() && !m_bEnded;
    }
    m_bHeadersDone = true;
    Show(m_strAddress);
    if (!m_headers.IsSuccess()) {
        Fail("IDS_ERR_HTTPSTATUS", static_cast<int>(m_headers.Status()));
        return false;
    }
    // Without a length (chunked), the size is unknown and no percentage is shown.
    m_nSize = std::max<int64_t>(m_headers.ContentLength(), 0);
    m_nShift = ProgressShift(m_nSize);
    m_job.Window().SetTotal(ToWindowValue(m_nSize, m_nShift));
    if (m_job.CheckCancel()) {
        return false;
    }
    Show(FormatKeyText("IDS_OPENING", m_strLocalPath));
    m_file.emplace(m_strLocalPath);
    if (!m_file->Open()) {
        Fail("IDS_ERR_CREATEFILE", m_strLocalPath);
        return false;
    }
    m_units.emplace([this](int64_t total) { return OnUnit(total); });
    return true;
}

size_t CHttpFetch::OnHeader(const char* line, size_t size) {
    if (m_headers.Feed(line, size) && !OnHeadersDone()) {
        return 0;
    }
    return size;
}

size_t CHttpFetch::OnBody(const char* data, size_t size) {
    if (!OnHeadersDone()) {
        return 0;
    }
    if (!m_file->Write(data, size)) {
        Fail("IDS_ERR_WRITEFILE", m_strLocalPath);
        return 0;
    }
    return m_units->Add(size) ? size : 0;
}

bool CHttpFetch::OnUnit(int64_t total) {
    Show(m_byteLine.Format(total, m_nSize));
    m_job.Window().SetDone(ToWindowValue(total, m_nShift));
    return !m_job.CheckCancel();
}

void CHttpFetch::Fail(const std::string& key, int code) {
    Fail(MakeRemoteMessage(RemoteBoxKind::Error, key, code));
}

void CHttpFetch::Fail(const std::string& key, const std::string& argument) {
    Fail(MakeRemoteMessage(RemoteBoxKind::Error, key, argument));
}

void CHttpFetch::Fail(const RemoteMessage& box) {
    m_job.FailWithBox(box);
    m_bEnded = true;
}

}  // namespace

void HttpTransferThread(CTransferJob& job, const TrustedKeys& trusted) {
    CHttpTransfer transfer(job, trusted);
    const auto& arguments = job.Arguments();
    for (size_t i = 0; i + 1 < arguments.size(); i += 2) {
        transfer.FetchHttpFile(arguments[i], arguments[i + 1]);
    }
}

void CHttpTransfer::FetchHttpFile(const std::string& address, const std::string& localPath) {
    CHttpFetch(m_job, address, localPath, m_trusted).Run();
}
