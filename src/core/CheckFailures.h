#pragma once

#include "core/ElemList.h"
#include "core/KelElem.h"

#include <map>
#include <string>

// Why a check could not be made: its probe failed (no connection, a time-out, access
// denied, an untrusted server, no time given), the internet could not be reached, or the
// copy's text is of no kind the program checks.
struct CheckFailure {
    // Two failures with the same cause fail for the same reason, whatever details (a time
    // in libcurl's words, a server's wording) their texts carry.
    std::string cause;
    std::string reason;  // one line: the row reads "Check failed: REASON"
    std::string text;    // the whole text, for the row's tooltip
};

// The checks that could not be made, by element, kept in memory only: such a check stores
// "Not checked.", which is all the list file keeps. An element's entry is a streak: from a
// failed check to its next check that is made; a failure for another reason starts a new
// streak.
class CCheckFailures {
public:
    struct Streak {
        CheckFailure failure;  // the latest
        TimeValue since = -1;  // the streak's first failure
        bool boxAnswered = false;
    };

    // Records a failed check of `elem` made at `now`; true when it starts a streak.
    bool Record(const CKelElem& elem, const CheckFailure& failure, TimeValue now);
    // Ends the element's streak: a check of it was made, or it left the list.
    void Clear(const CKelElem& elem);
    // The user answered a failure box of the element's streak for `cause`.
    void SetBoxAnswered(const CKelElem& elem, const std::string& cause);
    // The element's streak, or null when its last check was made (or none was).
    const Streak* Of(const CKelElem& elem) const;
    bool Any() const { return !m_streaks.empty(); }

private:
    std::map<const CKelElem*, Streak> m_streaks;
};

// The text of the element's state: "Check failed: REASON" while it fails.
std::string StateText(const CKelElem& elem, const CCheckFailures& failures);
// What a failing element's row says when the pointer rests on it: the whole failure and the
// time of the streak's first failure.
std::string FailureTip(const CCheckFailures::Streak& streak);
// What the tray says of the failing elements: nothing when none fails, the description of
// the one that does, or how many do.
std::string FailingElementsText(const ElemList& elems, const CCheckFailures& failures);
