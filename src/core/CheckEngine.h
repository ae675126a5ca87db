#pragma once

class CKelElem;
struct CheckContext;

// Checks one element: finds the copy's time, decides by the check mode, records the result
// in the element, tells the user through the notice and, on Ok, runs the action.
// `availabilityCache` (may be null) carries the internet test of a scheduler pass:
// -1 not yet tested, 1 reachable, 0 not reachable.
void CheckElement(CKelElem& elem, int* availabilityCache, CheckContext& context);
