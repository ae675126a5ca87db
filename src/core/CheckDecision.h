#pragma once

#include "core/KelElem.h"
#include "remote/RemoteMessage.h"
#include "remote/SftpSupport.h"
#include "remote/TlsTrust.h"

#include <optional>
#include <string>

// What the look-up of the copy found out.
struct CopyAnswer {
    std::optional<TimeValue> time;  // none when the copy is absent or could not be read
    bool found = false;
    bool noInternet = false;
    // The probe failed: its own box, when it has one, then the connection error box of
    // `failureKey`.
    bool failed = false;
    std::optional<RemoteMessage> probeBox;
    const char* failureKey = "";
    // The server could not be trusted: nothing was learnt of the copy.
    std::optional<UntrustedServer> untrusted;
    // The SSH server's host key was not accepted.
    std::optional<SshHostRefusal> refusedHost;
};

// The texts of the new-version notice.
struct NoticeTexts {
    std::string message;
    std::string copy;
    std::string timeText;
};

// The result of one check, decided without showing anything: what the element records and
// what the user is to be shown.
struct CheckOutcome {
    int32_t state = STATE_NOT_CHECKED;
    // Existence and destruction modes: the copy's time, the reference from now on.
    std::optional<TimeValue> reference;
    // A new version the user is told of: the notice's texts, then the action on Ok.
    std::optional<NoticeTexts> notice;
};

// Decides a check of `elem` made at `now` from what the look-up of its copy found. Reads
// the local original's time in file time mode.
CheckOutcome DecideCheck(const CKelElem& elem, const CopyAnswer& copy, TimeValue now);
