#pragma once

#include <QString>

class QWidget;

// The one text a control shows, whatever its kind: a label's or button's text, a group
// box's title, an edit field's content, a drop-down list's selected item. Controls
// without a text give "" and ignore a new one.
QString ControlText(const QWidget& control);
void SetControlText(QWidget& control, const QString& text);
