#include "app/QtWaitCursor.h"

#include <QApplication>
#include <QCursor>

void CQtWaitCursor::Begin() {
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

void CQtWaitCursor::End() {
    QApplication::restoreOverrideCursor();
}
