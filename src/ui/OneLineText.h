#pragma once

#include <QString>

class QLabel;

// Shows a text of any length (a path, an address, a server's reply) on a label one line
// high: a text too wide for the label loses its middle to an ellipsis, so that its start
// and its file name both stay in sight, and the whole text becomes the label's tooltip.
void ShowOnOneLine(QLabel& label, const QString& text);
