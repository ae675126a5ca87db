#pragma once

class CKelElem;
struct CheckContext;

// Shows the new file in the text viewer and waits for the viewer. A remote copy is first
// downloaded as the copy action downloads it, into a private file of the user's cache folder
// that goes when the viewer has ended (at the end of the run for a viewer that may end before
// reading it); a cancelled or failed download opens nothing and leaves no file.
void ViewNewFile(const CKelElem& elem, CheckContext& context);
