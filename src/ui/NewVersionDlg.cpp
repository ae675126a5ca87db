#include "ui/NewVersionDlg.h"
#include "core/NoticeTexts.h"
#include "ui/DialogTemplates.h"
#include "ui/ElementText.h"
#include "ui/InputGuard.h"
#include "ui/OneLineText.h"
#include "ui/ResourceIds.h"
#include "ui/TranslateWindow.h"

#include <QLabel>

#include <algorithm>

CNewVersionDlg::CNewVersionDlg(const NoticeTexts& notice, QWidget* parent)
    : CTemplateDialog(kNoticeTemplate, parent) {
    TranslateWindow(*this);
    new CInputGuard(*this);
    // Filled once here and never read back, so the labels need no member.
    auto* head = Require<QLabel>(IDC_NOTICEMESSAGE);
    auto* action = Require<QLabel>(IDC_NOTICEACTION);
    ShowOnOneLine(*Require<QLabel>(IDC_NOTICECOPY), ShownText(notice.copy));
    Require<QLabel>(IDC_NOTICETIME)->setText(QString::fromStdString(notice.timeText));
    head->setText(QString::fromStdString(notice.HeadLine()));
    action->setText(QString::fromStdString(notice.ActionLine()));
    FitToText(*head);
    FitToText(*action);
}

// Gives the label the lines its text takes at its width, moving the controls under it and
// the dialog's bottom edge by the difference. A label without a text gives up its line.
void CNewVersionDlg::FitToText(QLabel& label) {
    const QRect was = label.geometry();
    if (label.text().isEmpty()) {
        label.hide();
        int nextTop = height();
        for (const QWidget* control :
             findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (control->y() > was.bottom()) {
                nextTop = std::min(nextTop, control->y());
            }
        }
        MoveControlsBelow(was.bottom(), was.top() - nextTop);
        return;
    }
    const int needed = label.heightForWidth(was.width());
    if (needed > was.height()) {
        label.resize(was.width(), needed);
        MoveControlsBelow(was.bottom(), needed - was.height());
    }
}

void CNewVersionDlg::MoveControlsBelow(int top, int by) {
    for (QWidget* control : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (control->y() > top) {
            control->move(control->x(), control->y() + by);
        }
    }
    setFixedSize(width(), height() + by);
}
