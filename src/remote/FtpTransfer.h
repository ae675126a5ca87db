#pragma once

#include <cstdint>
#include <string>

#include "remote/CurlTransfer.h"
#include "remote/FtpLookup.h"
#include "remote/FtpSupport.h"
#include "remote/TransferJob.h"

class CFileReplacement;

// Worker thread of an FTP download: fetches every pair of the job's arguments, each after
// the previous one; a failure ends the whole download.
// TLS servers are held to the key `trusted` names for them.
void FtpTransferThread(CTransferJob& job, const FtpTransferOptions& options,
                       const TrustedKeys& trusted);

// The worker's side of an FTP download. Every step runs on one easy handle through the
// job's multi handle, so the steps share one control connection and a Cancel wakes any
// step at once.
class CFtpTransferSession {
public:
    CFtpTransferSession(CTransferJob& job, const FtpTransferOptions& options,
                        const TrustedKeys& trusted);

    // Fetches one file. A failure that ends the whole download sets Failed().
    void FetchFtpFile(const std::string& object, const std::string& localPath);
    // Whether the file is on the server; fills the server path and the file size.
    bool QueryFtpFile(const std::string& object);

    bool Failed() const { return m_bFailed; }

private:
    CURLcode Perform(const std::string& url, bool body, void* sink);
    CURLcode PerformStep();
    bool Connect();
    void Retrieve(const std::string& object, const std::string& localPath, CFileReplacement& file);
    void FailCreate(const std::string& localPath);
    bool ReceivedWholeFile();
    void FailUnsafeLogin();
    void FailInternet(CURLcode code);
    void FailFile(int cause, const std::string& localPath);
    void Show(const std::string& text);

    CTransferJob& m_job;
    FtpTransferOptions m_options;
    FtpServer m_server;
    CTlsTrust m_tls;
    char m_errorBuffer[CURL_ERROR_SIZE] = "";
    CurlEasy m_easy;
    CFtpReply m_reply;
    CReceiveWatch m_watch;
    // PerformStep for the lookup's steps; it never waits, so the lookup runs to its end.
    const FtpPerform m_performStep = [this]() -> Task<CURLcode> { co_return PerformStep(); };
    std::string m_strServerPath;
    int64_t m_nFileSize = 0;
    int64_t m_nLookedUpSize = -1;  // -1 when the server told no size
    bool m_bFailed = false;
};
