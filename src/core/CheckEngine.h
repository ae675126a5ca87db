#pragma once

class CKelElem;
class CPassProbes;
struct CheckContext;

// What started a check. The failure box of a permanent element that the minute passes check
// shows once a streak of failures; launch checks, checks at a time of day and the user's
// commands show theirs every time.
enum class CheckOccasion { MinutePass, LaunchOrCommand };

// Checks one element: finds the copy's time, decides by the check mode, records the result
// in the element, tells the user through the notice and, on Ok, runs the action. A check
// that could not be made stores "Not checked." and leaves its failure in the context's
// failures until the element's next check. A check that belongs to a scheduler pass takes
// its remote answer from `pass` (probed ahead with the pass's other elements, after the
// pass's one internet test); without a pass (may be null) the copy is probed alone, after
// an internet test of its own.
void CheckElement(CKelElem& elem, CPassProbes* pass, CheckContext& context,
                  CheckOccasion occasion = CheckOccasion::LaunchOrCommand);
