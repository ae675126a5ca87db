#pragma once

#include "ui/TemplateDialog.h"

struct NoticeTexts;
class QLabel;

// The new-version notice: on centred lines the head line of the check's message, the copy,
// the sentence that says what Ok will do (none without an action) and the time of the
// check, then one Ok button. The lines wrap and the dialog grows to show them whole. It ends
// with 1 for Ok and 2 for Escape or the close box; the caller acts on the difference. Ok may
// copy over a file or send one to the trash, so the notice takes no input for its first
// half second.
class CNewVersionDlg : public CTemplateDialog {
public:
    explicit CNewVersionDlg(const NoticeTexts& notice, QWidget* parent = nullptr);

private:
    void FitToText(QLabel& label);
    void MoveControlsBelow(int top, int by);
};
