#pragma once

#include <string>

#include "remote/TlsTrust.h"

class CTransferJob;

// Worker thread of an HTTP download: fetches every pair of the job's arguments in turn.
// TLS servers are held to the keys `trusted` names for them.
void HttpTransferThread(CTransferJob& job, const TrustedKeys& trusted);

// The worker's side of an HTTP download.
class CHttpTransfer {
public:
    CHttpTransfer(CTransferJob& job, const TrustedKeys& trusted) : m_job(job), m_trusted(trusted) {}

    // Fetches one address into a local file. Every failure raises its error box, whose
    // text becomes the job's result message.
    void FetchHttpFile(const std::string& address, const std::string& localPath);

private:
    CTransferJob& m_job;
    const TrustedKeys& m_trusted;
};
