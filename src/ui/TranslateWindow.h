#pragma once

class QMenu;
class QWidget;

// Replaces the "$$" texts of a window by the current language's texts: the texts of its
// direct children (not of their children), the items of its drop-down lists, its title
// and its menu bar. A text is a key only when it starts with "$$"; a key the language
// lacks gives an empty text. Other texts are left exactly as they are.
void TranslateWindow(QWidget& window);

// The same for a menu and its submenus, from the last item to the first.
void TranslateMenu(QMenu& menu);
