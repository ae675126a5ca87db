#include "ui/QtNoticePresenter.h"
#include "ui/NewVersionDlg.h"

int CQtNoticePresenter::ShowNotice(const NoticeTexts& notice) {
    CNewVersionDlg dialog(notice, m_mainWindow.data());
    return dialog.exec() == kNoticeOk ? kNoticeOk : kNoticeClosed;
}
