#pragma once

#include <curl/curl.h>

#include <cstdint>
#include <functional>
#include <string>

#include "remote/Task.h"

class CFtpReply;
struct FtpServer;

enum class FtpFileState { Found, NotFound, Denied, Failed };

// What the server tells about one file.
struct FtpFileFacts {
    FtpFileState state = FtpFileState::Failed;
    int64_t time = -1;         // Found: last write, -1 when the server gives none
    int64_t size = -1;         // Found: -1 when unknown
    CURLcode code = CURLE_OK;  // Denied, Failed: the code of the step that failed
};

// Runs the handle's request as set up and gives its result.
using FtpPerform = std::function<Task<CURLcode>()>;

// Looks a file up on a logged-in handle: MDTM and SIZE first; when the server refuses
// either, the folder's listing (MLSD facts, else LIST), as a directory search would. An
// address ending in "/" names a folder, which is not a file. A refusal is absence only
// when the server says the file or folder does not exist; otherwise it is denied access.
// `server`, `object`, `reply` and `perform` must outlive the task.
Task<FtpFileFacts> LookUpFtpFile(CURL* easy, const FtpServer& server, const std::string& object,
                                 const CFtpReply& reply, const FtpPerform& perform);

// Runs `perform`; when the server refuses passive mode, switches the handle to active mode
// for good and runs it again. Not over TLS: libcurl's TLS handshake on an active data
// connection never ends here, so there the refusal is the failure.
Task<CURLcode> PerformPassiveThenActive(CURL* easy, const FtpServer& server,
                                        const FtpPerform& perform);
