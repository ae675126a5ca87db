#pragma once

#include <QRect>
#include <QSize>

// Where the list and the seven buttons go for a client area of a given size, the buttons
// keeping the size they have (the New button's).
struct MainWindowLayout {
    QRect list;
    QRect newButton;
    QRect modifyButton;
    QRect deleteButton;
    QRect checkNowButton;
    QRect reduceButton;
    QRect saveButton;
    QRect quitButton;
};

MainWindowLayout LayOutMainWindow(QSize client, QSize button);

// The smallest client area whose layout keeps every control whole and apart: the list at
// least `listHeight` tall, and the left and right groups of buttons as far apart as the
// buttons within a group.
QSize MinimumClientSize(QSize button, int listHeight);
