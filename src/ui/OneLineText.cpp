#include "ui/OneLineText.h"

#include <QLabel>

void ShowOnOneLine(QLabel& label, const QString& text) {
    const int room = label.contentsRect().width() - 2 * label.margin();
    const QString shown = label.fontMetrics().elidedText(text, Qt::ElideMiddle, room);
    label.setText(shown);
    label.setToolTip(shown == text ? QString() : text);
}
