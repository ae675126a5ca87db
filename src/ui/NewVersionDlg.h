#pragma once

#include "ui/TemplateDialog.h"

#include <string>

// The new-version notice: the head line of the check's message, the copy and the time of
// the check on three centred lines, and one Ok button. It ends with 1 for Ok and 2 for
// Escape or the close box; the caller acts on the difference. Ok may copy over a file or
// send one to the trash, so the notice takes no input for its first half second.
class CNewVersionDlg : public CTemplateDialog {
public:
    CNewVersionDlg(const std::string& timeText, const std::string& copyText,
                   const std::string& message, QWidget* parent = nullptr);
};
