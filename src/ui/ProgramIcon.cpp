#include "ui/ProgramIcon.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QString>
#include <QStyle>

QIcon ProgramIcon() {
    return QIcon(QStringLiteral(":/morvane/icons/morvane.png"));
}

// Drawn at the sizes notification areas ask for, so that the mark is never scaled away.
QIcon ProgramIconWithWarningMark() {
    const QIcon plain = ProgramIcon();
    const QIcon warning = QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
    QIcon marked;
    for (const int size : {16, 22, 24, 32, 48, 64}) {
        QPixmap pixmap = plain.pixmap(size, size);
        QPainter painter(&pixmap);
        const int mark = size / 2;
        painter.drawPixmap(size - mark, size - mark, warning.pixmap(mark, mark));
        painter.end();
        marked.addPixmap(pixmap);
    }
    return marked;
}
