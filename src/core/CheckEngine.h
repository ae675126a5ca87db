#pragma once

class CKelElem;
class CPassProbes;
struct CheckContext;

// Checks one element: finds the copy's time, decides by the check mode, records the result
// in the element, tells the user through the notice and, on Ok, runs the action. A check
// that belongs to a scheduler pass takes its remote answer from `pass` (probed ahead with
// the pass's other elements, after the pass's one internet test); without a pass (may be
// null) the copy is probed alone, after an internet test of its own.
void CheckElement(CKelElem& elem, CPassProbes* pass, CheckContext& context);
