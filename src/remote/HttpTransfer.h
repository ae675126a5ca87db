#pragma once

#include <string>

class CTransferJob;
class IMessageBoxes;

// The error box of the HTTP operations: the text of `key` with its argument, "ERROR" as
// caption, the error icon, no owner. Gives the text, which also ends a download.
std::string ShowHttpError(IMessageBoxes& boxes, const std::string& key, int number);
std::string ShowHttpError(IMessageBoxes& boxes, const std::string& key,
                          const std::string& argument);

// Worker thread of an HTTP download: fetches every pair of the job's arguments in turn.
// Always 0.
int HttpTransferThread(CTransferJob& job);

// The worker's side of an HTTP download.
class CHttpTransfer {
public:
    explicit CHttpTransfer(CTransferJob& job) : m_job(job) {}

    // Fetches one address into a local file. Every failure shows its box, whose text
    // becomes the job's result message.
    void FetchHttpFile(const std::string& address, const std::string& localPath);

private:
    CTransferJob& m_job;
};
