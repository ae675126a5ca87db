#pragma once

#include "core/CheckEnvironment.h"

#include <QPointer>
#include <QWidget>

// Shows the new-version notice of a check, modal over the whole program.
class CQtNoticePresenter : public INoticePresenter {
public:
    explicit CQtNoticePresenter(QWidget* mainWindow = nullptr) : m_mainWindow(mainWindow) {}

    NoticeAnswer ShowNotice(const NoticeTexts& notice) override;

private:
    QPointer<QWidget> m_mainWindow;
};
