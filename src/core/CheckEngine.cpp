#include "core/CheckEngine.h"

#include "core/Actions.h"
#include "core/CheckEnvironment.h"
#include "core/KelElem.h"
#include "core/LocalFileTimes.h"
#include "i18n/MessageBoxes.h"
#include "i18n/MessageCatalogue.h"
#include "i18n/TimeStamp.h"
#include "remote/Address.h"
#include "remote/TransferText.h"

#include <optional>
#include <set>

namespace {

// What the look-up of the copy found out.
struct CopyProbe {
    std::optional<TimeValue> time;
    bool found = false;
    bool noInternet = false;
    // The server could not be trusted: nothing was learnt of the copy.
    bool untrusted = false;
};

bool AbsenceCounts(const CKelElem& elem) {
    return elem.m_nCheckMode == CHECK_EXISTENCE || elem.m_nCheckMode == CHECK_DESTRUCTION;
}

// Marks the element as having its failure box on screen for the lifetime of the scope.
class COpenBoxMark {
public:
    COpenBoxMark(std::set<const CKelElem*>& marked, const CKelElem& elem)
        : m_marked(marked), m_elem(elem) {
        m_marked.insert(&m_elem);
    }
    ~COpenBoxMark() { m_marked.erase(&m_elem); }
    COpenBoxMark(const COpenBoxMark&) = delete;
    COpenBoxMark& operator=(const COpenBoxMark&) = delete;

private:
    std::set<const CKelElem*>& m_marked;
    const CKelElem& m_elem;
};

// Asks whether to trust the key of the element's own server, whose certificate the system's
// store does not vouch for; true once the user has trusted it. A key that changed since it
// was trusted is never replaced from here, and nobody is asked where no window is.
bool TrustAnswered(const ParsedAddress& address, const UntrustedServer& untrusted,
                   CheckContext& context) {
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

// Turns a remote probe's answer into the copy's time. In existence and destruction modes
// "not found" is the copy's absence, as for a local file, and no news to the user;
// elsewhere it is a failure: the probe's own box, then the connection error box, unless a
// box of an earlier check of the same element is still waiting for its answer. True when
// the user has just trusted the key of a server that was refused, with `offerTrust`.
bool TakeRemoteAnswer(const CKelElem& elem, const ParsedAddress& address, const ProbeResult& result,
                      TimeValue now, bool offerTrust, CheckContext& context, CopyProbe& probe) {
    probe.untrusted = result.status != ProbeStatus::Found && result.untrusted.has_value();
    if (result.status == ProbeStatus::Found) {
        probe.found = true;
        probe.time = result.time;
    } else if (result.status == ProbeStatus::NotFound && AbsenceCounts(elem)) {
        if (elem.m_nCheckMode == CHECK_DESTRUCTION) {
            probe.time = now;
        }
    } else if (!context.elementsWithOpenBox.contains(&elem)) {
        const COpenBoxMark mark(context.elementsWithOpenBox, elem);
        if (result.message) {
            ShowRemoteMessage(*result.message, context.boxes, BoxOwner::None);
        }
        // Modal to the main window, so the list cannot change under the running check.
        ShowErrorBox(context.boxes,
                     IsFtpKind(address.kind) ? "IDS_ERR_CONNECTFTP" : "IDS_ERR_CONNECTHTTP",
                     BoxOwner::MainWindow);
        return offerTrust && result.untrusted && TrustAnswered(address, *result.untrusted, context);
    }
    return false;
}

ProbeResult ProbeCopy(const CKelElem& elem, const ParsedAddress& address, IRemoteAccess& remote) {
    if (IsFtpKind(address.kind)) {
        const FtpProbeRequest request{address.object,    address.server,
                                      elem.m_strFtpUser, elem.m_strFtpPassword,
                                      address.port,      FtpSecurityOf(address.kind)};
        return remote.ProbeFtp(request);
    }
    return remote.ProbeHttp(elem.m_strCopy);
}

// The internet test and the probe run inside one wait; the boxes come after it. A server
// whose key the user trusts after its refusal is probed once more.
void ProbeRemote(const CKelElem& elem, const ParsedAddress& address, TimeValue now,
                 int& availability, CheckContext& context, CopyProbe& probe) {
    ProbeResult result;
    context.wait.Run([&] {
        if (availability == -1) {
            availability = context.remote.IsInternetReachable() ? 1 : 0;
        }
        if (availability == 1) {
            result = ProbeCopy(elem, address, context.remote);
        }
    });
    if (availability != 1) {
        probe.noInternet = true;
        return;
    }
    if (TakeRemoteAnswer(elem, address, result, now, true, context, probe)) {
        context.wait.Run([&] { result = ProbeCopy(elem, address, context.remote); });
        TakeRemoteAnswer(elem, address, result, now, false, context, probe);
    }
}

void ProbeLocal(const CKelElem& elem, TimeValue now, CopyProbe& probe) {
    TimeValue time = -1;
    if (FindFirstFileTime(elem.m_strCopy, time)) {
        probe.found = true;
        probe.time = time;
    } else if (elem.m_nCheckMode == CHECK_DESTRUCTION) {
        probe.time = now;
    }
}

bool IsLater(const std::optional<TimeValue>& time, TimeValue than) {
    return time.has_value() && *time > than;
}

// A missing local original counts as older than any copy, so the copy can create it.
bool IsLaterThanOriginal(const std::optional<TimeValue>& time, const std::string& original) {
    TimeValue originalTime = -1;
    if (!FileModificationTime(original, originalTime)) {
        return time.has_value();
    }
    return IsLater(time, originalTime);
}

void Decide(CKelElem& elem, const CopyProbe& probe) {
    switch (elem.m_nCheckMode) {
        case CHECK_ABSOLUTE_TIME:
            elem.m_nState = IsLater(probe.time, elem.m_timeReference) ? STATE_NEW_VERSION
                                                                      : STATE_NO_NEW_VERSION;
            break;
        case CHECK_FILE_TIME:
            elem.m_nState = IsLaterThanOriginal(probe.time, elem.m_strOriginal)
                                ? STATE_NEW_VERSION
                                : STATE_NO_NEW_VERSION;
            break;
        case CHECK_EXISTENCE:
        case CHECK_DESTRUCTION: {
            const bool event = elem.m_nCheckMode == CHECK_EXISTENCE ? probe.found : !probe.found;
            if (event && IsLater(probe.time, elem.m_timeReference)) {
                elem.m_nState = STATE_NEW_VERSION;
                elem.m_timeReference = *probe.time;
            } else {
                elem.m_nState = STATE_NO_NEW_VERSION;
            }
            break;
        }
        default:
            break;
    }
}

const char* HeadKey(int32_t checkMode) {
    switch (checkMode) {
        case CHECK_EXISTENCE:
            return "IDS_NEWFILECREATED";
        case CHECK_DESTRUCTION:
            return "IDS_FILEDELETED";
        default:
            return "IDS_NEWFILEFOUND";
    }
}

const char* ActionKey(int32_t action) {
    switch (action) {
        case ACTION_COPY_NEW:
            return "IDS_COPYNEW";
        case ACTION_VIEW_NEW:
            return "IDS_VIEWNEW";
        case ACTION_DELETE_OLD:
            return "IDS_DELETEOLD";
        case ACTION_DELETE_NEW:
            return "IDS_DELETENEW";
        default:
            return "";
    }
}

std::string NoticeMessage(const CKelElem& elem) {
    std::string message = GetMessage(HeadKey(elem.m_nCheckMode)) + elem.m_strCopy;
    if (elem.m_nAction != ACTION_NOTHING) {
        message += Lookup("IDS_USEOK") + Lookup(ActionKey(elem.m_nAction));
    }
    return message;
}

void Announce(CKelElem& elem, CheckContext& context) {
    const std::string message = NoticeMessage(elem);
    // Keeps the element out of the checks that run while its notice is on screen.
    elem.m_bActive = 0;
    const int result =
        context.notice.ShowNotice(message, elem.m_strCopy, FormatTimeStamp(elem.m_timeLastAccess));
    if (result == kNoticeOk) {
        if (elem.m_nAction != ACTION_NOTHING) {
            PerformAction(elem, context);
        }
        elem.m_bActive = 1;
    } else if (result != kNoticeClosed || elem.m_nWhen != WHEN_PERMANENT) {
        elem.m_bActive = 1;
    }
}

}  // namespace

void CheckElement(CKelElem& elem, int* availabilityCache, CheckContext& context) {
    if (elem.m_bActive == 0) {
        return;
    }
    const TimeValue now = context.clock.Now();
    elem.m_nState = STATE_NOT_CHECKED;
    elem.m_timeLastAccess = now;

    const ParsedAddress address = ClassifyAddress(elem.m_strCopy);
    int availability = availabilityCache ? *availabilityCache : -1;
    CopyProbe probe;
    if (IsRemoteKind(address.kind)) {
        ProbeRemote(elem, address, now, availability, context, probe);
    } else if (address.kind == AddressKind::LocalFile) {
        ProbeLocal(elem, now, probe);
    }
    if (availabilityCache) {
        *availabilityCache = availability;
    }
    if (probe.noInternet) {
        elem.m_nState = STATE_NO_INTERNET;
        return;
    }
    // A server refused for want of trust is never read as an answer: the element stays
    // "Not checked.".
    if (probe.untrusted) {
        return;
    }

    Decide(elem, probe);
    if (elem.m_nState != STATE_NEW_VERSION) {
        return;
    }
    if (elem.m_bSignal != 1 && elem.m_nAction != ACTION_NOTHING) {
        return;
    }
    Announce(elem, context);
}
