#pragma once

#include <QEvent>

// Whether an event of this type is the user acting on a window: a key, a click, the wheel, a
// touch, a pen or a drop. Moving the pointer is not acting.
bool IsUserInput(QEvent::Type type);
