#include "core/CheckFailures.h"

#include "core/DisplayText.h"
#include "i18n/MessageCatalogue.h"
#include "i18n/TimeStamp.h"
#include "remote/TransferText.h"

bool CCheckFailures::Record(const CKelElem& elem, const CheckFailure& failure, TimeValue now) {
    const auto [at, added] = m_streaks.try_emplace(&elem, Streak{failure, now});
    if (added) {
        return true;
    }
    Streak& streak = at->second;
    const bool sameCause = streak.failure.cause == failure.cause;
    streak = sameCause ? Streak{failure, streak.since, streak.boxAnswered} : Streak{failure, now};
    return !sameCause;
}

void CCheckFailures::Clear(const CKelElem& elem) {
    m_streaks.erase(&elem);
}

void CCheckFailures::SetBoxAnswered(const CKelElem& elem, const std::string& cause) {
    const auto found = m_streaks.find(&elem);
    if (found != m_streaks.end() && found->second.failure.cause == cause) {
        found->second.boxAnswered = true;
    }
}

const CCheckFailures::Streak* CCheckFailures::Of(const CKelElem& elem) const {
    const auto found = m_streaks.find(&elem);
    return found == m_streaks.end() ? nullptr : &found->second;
}

std::string StateText(const CKelElem& elem, const CCheckFailures& failures) {
    if (const CCheckFailures::Streak* streak = failures.Of(elem)) {
        return FormatKeyText("IDS_CHECKFAILED", streak->failure.reason);
    }
    return GetMessage(StateKey(elem.m_nState));
}

std::string FailureTip(const CCheckFailures::Streak& streak) {
    return FormatKeyText("IDS_FAILINGSINCE", streak.failure.text, FormatTimeStamp(streak.since));
}

std::string FailingElementsText(const ElemList& elems, const CCheckFailures& failures) {
    int failing = 0;
    const CKelElem* one = nullptr;
    for (const auto& elem : elems) {
        if (failures.Of(*elem)) {
            ++failing;
            one = elem.get();
        }
    }
    if (failing == 0) {
        return "";
    }
    return failing == 1 ? DisplayText(one->m_strDescription)
                        : FormatKeyText("IDS_ELEMSFAILING", failing);
}
