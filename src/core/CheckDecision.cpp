#include "core/CheckDecision.h"

#include "core/LocalFileTimes.h"
#include "i18n/MessageCatalogue.h"
#include "i18n/TimeStamp.h"

namespace {

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

void DecideState(const CKelElem& elem, const CopyAnswer& copy, CheckOutcome& outcome) {
    switch (elem.m_nCheckMode) {
        case CHECK_ABSOLUTE_TIME:
            outcome.state =
                IsLater(copy.time, elem.m_timeReference) ? STATE_NEW_VERSION : STATE_NO_NEW_VERSION;
            break;
        case CHECK_FILE_TIME:
            outcome.state = IsLaterThanOriginal(copy.time, elem.m_strOriginal)
                                ? STATE_NEW_VERSION
                                : STATE_NO_NEW_VERSION;
            break;
        case CHECK_EXISTENCE:
        case CHECK_DESTRUCTION: {
            const bool event = elem.m_nCheckMode == CHECK_EXISTENCE ? copy.found : !copy.found;
            if (event && IsLater(copy.time, elem.m_timeReference)) {
                outcome.state = STATE_NEW_VERSION;
                outcome.reference = *copy.time;
            } else {
                outcome.state = STATE_NO_NEW_VERSION;
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

}  // namespace

CheckOutcome DecideCheck(const CKelElem& elem, const CopyAnswer& copy, TimeValue now) {
    CheckOutcome outcome;
    if (copy.noInternet) {
        outcome.state = STATE_NO_INTERNET;
        return outcome;
    }
    // A server refused for want of trust is never read as an answer.
    if (copy.untrusted || copy.refusedHost) {
        return outcome;
    }
    DecideState(elem, copy, outcome);
    // Told unless the element has an action and asks not to be told: then the new version
    // shows only in the list.
    const bool told = elem.m_bSignal == 1 || elem.m_nAction == ACTION_NOTHING;
    if (outcome.state == STATE_NEW_VERSION && told) {
        outcome.notice = NoticeTexts{NoticeMessage(elem), elem.m_strCopy, FormatTimeStamp(now)};
    }
    return outcome;
}
