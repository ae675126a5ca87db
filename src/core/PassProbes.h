#pragma once

#include "core/KelElem.h"
#include "remote/ProbeBatch.h"

#include <map>
#include <optional>
#include <vector>

struct CheckContext;

// The probe a check of the element makes: none for a local copy or a text of no kind the
// program probes.
std::optional<ProbeRequest> ProbeRequestFor(const CKelElem& elem);

// The remote answers of one scheduler pass. Before the pass checks its elements one by one,
// the probes of all its remote elements run side by side, after one internet test; each
// check then takes its element's answer while it is fresh.
class CPassProbes {
public:
    // An answer older than this when its check comes (a notice stayed open meanwhile) is
    // asked again.
    static constexpr TimeValue kFreshSeconds = 60;

    // Probes the copies of `elems` that a check would probe now (active, not under notice).
    void ProbeAhead(const std::vector<const CKelElem*>& elems, CheckContext& context);

    // The answer for `elem`: the one probed ahead while fresh; otherwise the remote
    // elements of the pass not yet taken are probed again, side by side, and its new one
    // given. Without an internet connection, nothing.
    std::optional<ProbeResult> Take(const CKelElem& elem, CheckContext& context);

    // The internet test of the pass: whether the internet was reachable, once it is made.
    std::optional<bool> availability;

private:
    void Probe(const std::vector<const CKelElem*>& elems, CheckContext& context);

    struct Answer {
        ProbeResult result;
        TimeValue probedAt = 0;
        bool taken = false;
    };
    std::map<const CKelElem*, Answer> m_answers;
};

// Probes one element's copy alone, with its own internet test unless `availability` is
// already known (then it is set): its answer, or nothing without an internet connection.
std::optional<ProbeResult> ProbeAlone(const ProbeRequest& request,
                                      std::optional<bool>& availability, CheckContext& context);
