#include "ui/QtNoticePresenter.h"
#include "ui/NewVersionDlg.h"

int CQtNoticePresenter::ShowNotice(const std::string& message, const std::string& copy,
                                   const std::string& timeText) {
    CNewVersionDlg notice(timeText, copy, message, m_mainWindow.data());
    return notice.exec() == kNoticeOk ? kNoticeOk : kNoticeClosed;
}
