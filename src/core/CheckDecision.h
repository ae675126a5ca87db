#pragma once

#include "core/KelElem.h"
#include "core/NoticeTexts.h"

#include <optional>

// What the look-up of the copy found out, when it could be made.
struct CopyAnswer {
    std::optional<TimeValue> time;  // none when the copy is absent
    bool found = false;
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
