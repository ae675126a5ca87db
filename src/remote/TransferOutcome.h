#pragma once

#include <optional>
#include <vector>

#include "remote/RemoteMessage.h"
#include "remote/SftpSupport.h"
#include "remote/TlsTrust.h"

enum class TransferStatus { Succeeded, Cancelled, Failed };

// What a download did, as a value for the caller to show while the progress window is
// still open: first the boxes its failures raised, in order, then the result message.
struct TransferOutcome {
    TransferStatus status = TransferStatus::Failed;
    std::vector<RemoteMessage> boxes;
    RemoteMessage result;  // an application box; its text is never empty after a download
    // Failed because a server could not be trusted: which server, why, and its key.
    std::optional<UntrustedServer> untrusted;
    // Failed because the SSH server's host key was not accepted.
    std::optional<SshHostRefusal> refusedHost;
};
