#include "core/CheckEngine.h"

#include "core/Actions.h"
#include "core/CheckDecision.h"
#include "core/CheckEnvironment.h"
#include "core/KelElem.h"
#include "core/LocalFileTimes.h"
#include "core/PassProbes.h"
#include "i18n/MessageBoxes.h"
#include "remote/Address.h"
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

// Turns a remote probe's answer into the copy's time. In existence and destruction modes
// "not found" is the copy's absence, as for a local file, and no news to the user;
// elsewhere it is a failure.
CopyAnswer FromProbe(const CKelElem& elem, const ProbeRequest& request, const ProbeResult& result,
                     TimeValue now) {
    CopyAnswer copy;
    if (result.status == ProbeStatus::Found) {
        copy.found = true;
        copy.time = result.time;
    } else if (result.status == ProbeStatus::NotFound && AbsenceCounts(elem)) {
        if (elem.m_nCheckMode == CHECK_DESTRUCTION) {
            copy.time = now;
        }
    } else {
        copy.failed = true;
        copy.probeBox = result.message;
        copy.untrusted = result.untrusted;
        copy.refusedHost = result.refusedHost;
        copy.failureKey = FailureKey(request.protocol);
    }
    return copy;
}

CopyAnswer LookUpRemote(const CKelElem& elem, const ProbeRequest& request, TimeValue now,
                        CPassProbes* pass, CheckContext& context) {
    int availability = -1;
    const std::optional<ProbeResult> result =
        pass ? pass->Take(elem, context) : ProbeAlone(request, availability, context);
    if (!result) {
        CopyAnswer copy;
        copy.noInternet = true;
        return copy;
    }
    return FromProbe(elem, request, *result, now);
}

CopyAnswer LookUpLocal(const CKelElem& elem, TimeValue now) {
    CopyAnswer copy;
    TimeValue time = -1;
    if (FindFirstFileTime(elem.m_strCopy, time)) {
        copy.found = true;
        copy.time = time;
    } else if (elem.m_nCheckMode == CHECK_DESTRUCTION) {
        copy.time = now;
    }
    return copy;
}

CopyAnswer LookUpCopy(const CKelElem& elem, TimeValue now, CPassProbes* pass,
                      CheckContext& context) {
    if (const std::optional<ProbeRequest> request = ProbeRequestFor(elem)) {
        return LookUpRemote(elem, *request, now, pass, context);
    }
    if (ClassifyAddress(elem.m_strCopy).kind == AddressKind::LocalFile) {
        return LookUpLocal(elem, now);
    }
    return {};
}

// The probe's own box, then the connection error box, unless a box of an earlier check of
// the same element is still waiting for its answer; false when no box was shown.
bool ShowFailure(const CKelElem& elem, const CopyAnswer& copy, CheckContext& context) {
    if (context.elementsWithOpenBox.contains(&elem)) {
        return false;
    }
    const CElementMark mark(context.elementsWithOpenBox, elem);
    if (copy.probeBox) {
        ShowRemoteMessage(*copy.probeBox, context.boxes, BoxOwner::None);
    }
    // Modal to the main window, so the list cannot change under the running check.
    ShowErrorBox(context.boxes, copy.failureKey, BoxOwner::MainWindow);
    return true;
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
    if (context.boxes.ShowAppBox(question, BoxIcon::Question, BoxButtons::YesNo) != kAnswerYes) {
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
    if (context.boxes.ShowAppBox(question, BoxIcon::Question, BoxButtons::YesNo) != kAnswerYes) {
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
bool TrustGiven(const CKelElem& elem, const CopyAnswer& copy, CheckContext& context) {
    return (copy.untrusted && TrustAnswered(elem, *copy.untrusted, context)) ||
           (copy.refusedHost && HostKeyAdded(*copy.refusedHost, context));
}

// The copy's answer once its failure, if any, has been shown; a server whose key the user
// trusts after its refusal is asked once more, alone.
CopyAnswer LookUpAndShow(const CKelElem& elem, TimeValue now, CPassProbes* pass,
                         CheckContext& context) {
    CopyAnswer copy = LookUpCopy(elem, now, pass, context);
    if (!copy.failed || !ShowFailure(elem, copy, context) || !TrustGiven(elem, copy, context)) {
        return copy;
    }
    copy = LookUpCopy(elem, now, nullptr, context);
    if (copy.failed) {
        ShowFailure(elem, copy, context);
    }
    return copy;
}

// The notice, then on Ok the action. Meanwhile no check takes the element; closed without
// Ok, a permanent element is checked no more until the user makes it active again.
void Announce(CKelElem& elem, const NoticeTexts& notice, CheckContext& context) {
    int result = kNoticeClosed;
    {
        const CElementMark mark(context.elementsUnderNotice, elem);
        result = context.notice.ShowNotice(notice.message, notice.copy, notice.timeText);
        if (result == kNoticeOk && elem.m_nAction != ACTION_NOTHING) {
            PerformAction(elem, context);
        }
    }
    if (result == kNoticeClosed && elem.m_nWhen == WHEN_PERMANENT) {
        elem.m_bActive = 0;
    }
}

}  // namespace

void CheckElement(CKelElem& elem, CPassProbes* pass, CheckContext& context) {
    if (elem.m_bActive == 0 || context.elementsUnderNotice.contains(&elem)) {
        return;
    }
    const TimeValue now = context.clock.Now();
    elem.m_nState = STATE_NOT_CHECKED;
    elem.m_timeLastAccess = now;

    const CopyAnswer copy = LookUpAndShow(elem, now, pass, context);
    const CheckOutcome outcome = DecideCheck(elem, copy, now);
    elem.m_nState = outcome.state;
    if (outcome.reference) {
        elem.m_timeReference = *outcome.reference;
    }
    if (outcome.notice) {
        Announce(elem, *outcome.notice, context);
    }
}
