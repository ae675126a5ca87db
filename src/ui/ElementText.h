#pragma once

#include <QString>

#include <string>

// An element's text as a control shows it: UTF-8, or Windows-1252 for older stored lists
// whose French letters are in that code page.
QString ShownText(const std::string& bytes);

// What goes back into the element from a control: the original bytes when the control
// still shows them unchanged (so that a list's Windows-1252 texts survive an edit of
// another field), else the control's text as UTF-8.
std::string EditedBytes(const QString& text, const std::string& original);
