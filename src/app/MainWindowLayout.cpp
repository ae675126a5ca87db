#include "app/MainWindowLayout.h"

MainWindowLayout LayOutMainWindow(QSize client, QSize button) {
    const int W = client.width();
    const int H = client.height();
    const int w = button.width();
    const int h = button.height();
    const int top = H - h - 10;
    const auto at = [&](int left) { return QRect(QPoint(left, top), button); };
    MainWindowLayout layout;
    layout.list = QRect(10, 10, W - 20, H - h - 30);
    layout.newButton = at(10);
    layout.modifyButton = at(w + 20);
    layout.deleteButton = at(2 * w + 30);
    layout.checkNowButton = at(3 * w + 40);
    layout.reduceButton = at(W - 3 * w - 30);
    layout.saveButton = at(W - 2 * w - 20);
    layout.quitButton = at(W - w - 10);
    return layout;
}

QSize MinimumClientSize(QSize button, int listHeight) {
    const int w = button.width();
    const int h = button.height();
    const int checkNowRight = 4 * w + 40;
    // Reduce, at W - 3w - 30, starts one gap of 10 after Check now.
    const int width = checkNowRight + 10 + 3 * w + 30;
    // The list is H - h - 30 tall.
    const int height = listHeight + h + 30;
    return {width, height};
}
