#pragma once

#include <string>

class CTransferJob;

// Worker thread of an HTTP download: fetches every pair of the job's arguments in turn.
// Always 0.
int HttpTransferThread(CTransferJob& job);

// The worker's side of an HTTP download.
class CHttpTransfer {
public:
    explicit CHttpTransfer(CTransferJob& job) : m_job(job) {}

    // Fetches one address into a local file. Every failure raises its error box, whose
    // text becomes the job's result message.
    void FetchHttpFile(const std::string& address, const std::string& localPath);

private:
    CTransferJob& m_job;
};
