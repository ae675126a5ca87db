#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "remote/CurlTransfer.h"
#include "remote/ProgressUnits.h"
#include "remote/ReceiveWatch.h"
#include "remote/SftpSupport.h"
#include "remote/TransferJob.h"
#include "remote/TransferText.h"

class CFileReplacement;

// Worker thread of an SFTP download: fetches every pair of the job's arguments, each after
// the previous one; a failure ends the whole download.
void SftpTransferThread(CTransferJob& job, const SftpTransferOptions& options);

// The worker's side of an SFTP download, with the lines and the boxes of an FTP download.
// Every request runs on one easy handle through the job's multi handle, so they share one
// SSH connection and a Cancel wakes any wait at once.
class CSftpTransferSession {
public:
    CSftpTransferSession(CTransferJob& job, const SftpTransferOptions& options);

    // Fetches one file. A failure that ends the whole download sets Failed().
    void FetchSftpFile(const std::string& object, const std::string& localPath);

    bool Failed() const { return m_bFailed; }

private:
    CURLcode Perform(const std::string& object, bool body);
    bool Connect();
    void Retrieve(const std::string& object, const std::string& localPath, CFileReplacement& file);
    size_t OnBody(const char* data, size_t size);
    bool OnUnit(int64_t total);
    bool ReceivedWholeFile();
    void FailMissing(const std::string& object);
    void FailInternet(CURLcode code);
    void FailFile(int cause, const std::string& localPath);
    void Show(const std::string& text);

    static size_t BodyCallback(char* data, size_t size, size_t count, void* self) {
        return static_cast<CSftpTransferSession*>(self)->OnBody(data, size * count);
    }

    CTransferJob& m_job;
    SftpTransferOptions m_options;
    SftpLogin m_login;
    // Declared before the handle, which refers to it until it is cleaned up.
    CSshHostCheck m_hostCheck;
    char m_errorBuffer[CURL_ERROR_SIZE] = "";
    CurlEasy m_easy;
    CReceiveWatch m_watch;
    const CByteLine m_byteLine;
    // While a file arrives: where it goes and how far it came.
    CFileReplacement* m_file = nullptr;
    std::optional<CProgressUnits> m_units;
    int64_t m_nSize = -1;  // from the file's attributes, once the transfer has begun
    int m_nShift = 0;
    bool m_bWriteFailed = false;
    bool m_bFailed = false;
};
