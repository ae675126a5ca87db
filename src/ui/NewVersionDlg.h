#pragma once

#include "ui/TemplateDialog.h"

#include <string>

// The new-version notice: the head line of the check's message, the copy and the time of
// the check on three centred lines, and one Ok button. It ends with 1 for Ok and 2 for
// Escape or the close box; the caller acts on the difference.
class CNewVersionDlg : public CTemplateDialog {
public:
    CNewVersionDlg(const std::string& timeText, const std::string& copyText,
                   const std::string& message, QWidget* parent = nullptr);
};
