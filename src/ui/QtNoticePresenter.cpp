#include "ui/QtNoticePresenter.h"
#include "ui/NewVersionDlg.h"

NoticeAnswer CQtNoticePresenter::ShowNotice(const NoticeTexts& notice) {
    CNewVersionDlg dialog(notice, m_mainWindow.data());
    return dialog.Run() == BoxAnswer::Ok ? NoticeAnswer::Ok : NoticeAnswer::Closed;
}
