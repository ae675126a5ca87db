#include "core/CheckEngine.h"

#include "core/Actions.h"
#include "core/CheckDecision.h"
#include "core/CheckEnvironment.h"
#include "core/DisplayText.h"
#include "core/KelElem.h"
#include "core/LocalFileTimes.h"
#include "core/PassProbes.h"
#include "i18n/MessageBoxes.h"
#include "i18n/MessageCatalogue.h"
#include "remote/Address.h"
#include "remote/SftpSupport.h"
#include "remote/TransferText.h"

#include <set>

namespace {

// Marks the element for the lifetime of the scope.
class CElementMark {
public:
    CElementMark(std::set<const CKelElem*>& marked, const CKelElem& elem)
        : m_marked(marked), m_elem(elem) {
        m_marked.insert(&m_elem);
    }
    ~CElementMark() { m_marked.erase(&m_elem); }
    CElementMark(const CElementMark&) = delete;
    CElementMark& operator=(const CElementMark&) = delete;

private:
    std::set<const CKelElem*>& m_marked;
    const CKelElem& m_elem;
};

bool AbsenceCounts(const CKelElem& elem) {
    return elem.m_nCheckMode == CHECK_EXISTENCE || elem.m_nCheckMode == CHECK_DESTRUCTION;
}

// What the look-up of the copy gave: the copy's answer, or why there is none.
struct CopyLookUp {
    CopyAnswer copy;
    std::optional<CheckFailure> failure;
    // A failed probe's boxes: its own, when it has one, then the connection error box of
    // `failureKey` ("" for no box).
    std::optional<RemoteMessage> probeBox;
    const char* failureKey = "";
    // The server could not be trusted: which server, why, and its key.
    std::optional<UntrustedServer> untrusted;
    // The SSH server's host key was not accepted.
    std::optional<SshHostRefusal> refusedHost;
};

// A failure named by one catalogue key: the internet out of reach, a copy of no kind.
CopyLookUp FailureOfKey(const char* key) {
    const std::string text = GetMessage(key);
    CopyLookUp lookUp;
    lookUp.failure = CheckFailure{key, text, text};
    return lookUp;
}

const char* FailureKey(ProbeRequest::Protocol protocol) {
    switch (protocol) {
        case ProbeRequest::Protocol::Ftp:
            return "IDS_ERR_CONNECTFTP";
        case ProbeRequest::Protocol::Sftp:
            return "IDS_ERR_CONNECTSFTP";
        case ProbeRequest::Protocol::Http:
            break;
    }
    return "IDS_ERR_CONNECTHTTP";
}

// A failed probe: its reason is the first line of its message (the text of its connection
// error box when it has none); its cause leaves out the details of the message's text.
CopyLookUp ProbeFailure(const ProbeRequest& request, const ProbeResult& result) {
    CopyLookUp lookUp;
    lookUp.failureKey = FailureKey(request.protocol);
    lookUp.probeBox = result.message;
    lookUp.untrusted = result.untrusted;
    lookUp.refusedHost = result.refusedHost;
    const std::string heading = Lookup(lookUp.failureKey);
    CheckFailure failure{lookUp.failureKey, heading, heading};
    if (const std::optional<RemoteMessage>& message = result.message) {
        failure.cause += "\n" + message->key + "\n" + std::to_string(message->code);
        failure.reason = message->text.substr(0, message->text.find('\n'));
        failure.text += "\n" + message->text;
    }
    lookUp.failure = failure;
    return lookUp;
}

// Turns a remote probe's answer into the copy's time. In existence and destruction modes
// "not found" is the copy's absence, as for a local file, and no news to the user;
// elsewhere it is a failure.
CopyLookUp FromProbe(const CKelElem& elem, const ProbeRequest& request, const ProbeResult& result,
                     TimeValue now) {
    CopyLookUp lookUp;
    if (result.status == ProbeStatus::Found) {
        lookUp.copy.found = true;
        lookUp.copy.time = result.time;
    } else if (result.status == ProbeStatus::NotFound && AbsenceCounts(elem)) {
        if (elem.m_nCheckMode == CHECK_DESTRUCTION) {
            lookUp.copy.time = now;
        }
    } else {
        return ProbeFailure(request, result);
    }
    return lookUp;
}

CopyLookUp LookUpRemote(const CKelElem& elem, const ProbeRequest& request, TimeValue now,
                        CPassProbes* pass, CheckContext& context) {
    std::optional<bool> availability;
    const std::optional<ProbeResult> result =
        pass ? pass->Take(elem, context) : ProbeAlone(request, availability, context);
    if (!result) {
        return FailureOfKey("IDS_NOINTERNET");
    }
    return FromProbe(elem, request, *result, now);
}

CopyLookUp LookUpLocal(const CKelElem& elem, TimeValue now) {
    CopyLookUp lookUp;
    TimeValue time = -1;
    if (FindFirstFileTime(elem.m_strCopy, time)) {
        lookUp.copy.found = true;
        lookUp.copy.time = time;
    } else if (elem.m_nCheckMode == CHECK_DESTRUCTION) {
        lookUp.copy.time = now;
    }
    return lookUp;
}

CopyLookUp LookUpCopy(const CKelElem& elem, TimeValue now, CPassProbes* pass,
                      CheckContext& context) {
    if (const std::optional<ProbeRequest> request = ProbeRequestFor(elem)) {
        return LookUpRemote(elem, *request, now, pass, context);
    }
    if (ClassifyAddress(elem.m_strCopy).kind == AddressKind::LocalFile) {
        return LookUpLocal(elem, now);
    }
    return FailureOfKey("IDS_ERR_NOTCHECKABLE");
}

// A failed probe shows its boxes, unless a box of an earlier check of the same element is
// still waiting for its answer, or the user has answered one of the streak of a permanent
// element that the minute passes check.
bool BoxesDue(const CKelElem& elem, const CopyLookUp& lookUp, CheckOccasion occasion,
              const CheckContext& context) {
    if (*lookUp.failureKey == '\0' || context.elementsWithOpenBox.contains(&elem)) {
        return false;
    }
    const CCheckFailures::Streak* streak = context.failures.Of(elem);
    const bool repeated = occasion == CheckOccasion::MinutePass && elem.m_nWhen == WHEN_PERMANENT;
    return !(repeated && streak && streak->boxAnswered);
}

// The probe's own box, then the connection error box.
void ShowFailure(const CKelElem& elem, const CopyLookUp& lookUp, CheckContext& context) {
    {
        const CElementMark mark(context.elementsWithOpenBox, elem);
        if (lookUp.probeBox) {
            ShowRemoteMessage(*lookUp.probeBox, context.boxes, BoxOwner::None);
        }
        // Modal to the main window, so the list cannot change under the running check.
        ShowErrorBox(context.boxes, lookUp.failureKey, BoxOwner::MainWindow);
    }
    context.failures.SetBoxAnswered(elem, lookUp.failure->cause);
}

// Asks whether to trust the key of the element's own server, whose certificate the system's
// store does not vouch for; true once the user has trusted it. A key that changed since it
// was trusted is never replaced from here, and nobody is asked where no window is.
bool TrustAnswered(const CKelElem& elem, const UntrustedServer& untrusted, CheckContext& context) {
    const ParsedAddress address = ClassifyAddress(elem.m_strCopy);
    if (!context.trustedKeys || untrusted.key.empty() ||
        untrusted.reason == TlsRefusal::KeyChanged ||
        untrusted.server != ServerKey(address.server, address.port)) {
        return false;
    }
    const std::string question =
        FormatKeyText("IDS_TLS_TRUSTQUESTION", address.server, address.port, untrusted.key);
    if (context.boxes.ShowAppBox(question, BoxIcon::Question, BoxButtons::YesNo) !=
        BoxAnswer::Yes) {
        return false;
    }
    if (!context.trustedKeys->Trust(untrusted.server, untrusted.key)) {
        ShowErrorText(context.boxes,
                      FormatKeyText("IDS_ERR_TRUSTNOTSAVED", context.trustedKeys->Place()),
                      BoxOwner::MainWindow);
    }
    return true;
}

// Asks whether to add the key of an unknown SSH server to the user's known_hosts; true once
// it is there. A changed or revoked key is never replaced from here, and nobody is asked
// where no window is.
bool HostKeyAdded(const SshHostRefusal& refused, CheckContext& context) {
    if (!context.knownHosts || refused.status != HostKeyStatus::Unknown) {
        return false;
    }
    const std::string question = FormatKeyText("IDS_SSH_TRUSTQUESTION", refused.name,
                                               FingerprintLine(refused.key), refused.knownHosts);
    if (context.boxes.ShowAppBox(question, BoxIcon::Question, BoxButtons::YesNo) !=
        BoxAnswer::Yes) {
        return false;
    }
    if (!context.knownHosts->Add(refused)) {
        ShowErrorText(context.boxes, FormatKeyText("IDS_ERR_KNOWNHOSTNOTSAVED", refused.knownHosts),
                      BoxOwner::MainWindow);
        return false;
    }
    return true;
}

// Whether the user has just trusted the server that refused the probe.
bool TrustGiven(const CKelElem& elem, const CopyLookUp& lookUp, CheckContext& context) {
    return (lookUp.untrusted && TrustAnswered(elem, *lookUp.untrusted, context)) ||
           (lookUp.refusedHost && HostKeyAdded(*lookUp.refusedHost, context));
}

// The start of a streak is told to a user who may be away from the windows; the boxes follow.
// True when they were those of a server refused for want of trust, with `offerTrust`, and
// the user has just trusted it.
bool ReportFailure(const CKelElem& elem, const CopyLookUp& lookUp, TimeValue now,
                   CheckOccasion occasion, bool offerTrust, CheckContext& context) {
    const CheckFailure& failure = *lookUp.failure;
    if (context.failures.Record(elem, failure, now) && context.desktop) {
        context.desktop->Tell(DisplayText(elem.m_strDescription),
                              FormatKeyText("IDS_CHECKFAILED", failure.reason));
    }
    if (!BoxesDue(elem, lookUp, occasion, context)) {
        return false;
    }
    ShowFailure(elem, lookUp, context);
    return offerTrust && TrustGiven(elem, lookUp, context);
}

// The notice, then on Ok the action. Meanwhile no check takes the element; closed without
// Ok, a permanent element is checked no more until the user makes it active again.
void Announce(CKelElem& elem, const NoticeTexts& notice, CheckContext& context) {
    if (context.desktop) {
        context.desktop->Tell(DisplayText(elem.m_strDescription), notice.HeadLine());
    }
    NoticeAnswer answer = NoticeAnswer::Closed;
    {
        const CElementMark mark(context.elementsUnderNotice, elem);
        answer = context.notice.ShowNotice(notice);
        if (answer == NoticeAnswer::Ok && elem.m_nAction != ACTION_NOTHING) {
            PerformAction(elem, context);
        }
    }
    if (answer == NoticeAnswer::Closed && elem.m_nWhen == WHEN_PERMANENT) {
        elem.m_bActive = 0;
    }
}

}  // namespace

void CheckElement(CKelElem& elem, CPassProbes* pass, CheckContext& context,
                  CheckOccasion occasion) {
    if (elem.m_bActive == 0 || context.elementsUnderNotice.contains(&elem)) {
        return;
    }
    const TimeValue now = context.clock.Now();
    elem.m_nState = STATE_NOT_CHECKED;
    elem.m_timeLastAccess = now;

    CopyLookUp lookUp = LookUpCopy(elem, now, pass, context);
    // A server whose key the user trusts after its refusal is asked once more, alone.
    if (lookUp.failure && ReportFailure(elem, lookUp, now, occasion, true, context)) {
        lookUp = LookUpCopy(elem, now, nullptr, context);
        if (lookUp.failure) {
            ReportFailure(elem, lookUp, now, occasion, false, context);
        }
    }
    if (lookUp.failure) {
        return;
    }
    context.failures.Clear(elem);
    const CheckOutcome outcome = DecideCheck(elem, lookUp.copy, now);
    elem.m_nState = outcome.state;
    if (outcome.reference) {
        elem.m_timeReference = *outcome.reference;
    }
    if (outcome.notice) {
        Announce(elem, *outcome.notice, context);
    }
}
