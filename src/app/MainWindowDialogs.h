#pragma once

#include "i18n/MessageBoxes.h"

class CKelElem;
class QWidget;

// The dialogs the main window opens. The program shows the real ones; tests answer them.
class IMainWindowDialogs {
public:
    virtual ~IMainWindowDialogs() = default;
    // The element editor: Ok after it wrote the element and set `modified`, else Cancel.
    virtual BoxAnswer EditElement(CKelElem& elem, QWidget* parent, bool& modified) = 0;
    virtual void ChooseLanguage(QWidget* parent) = 0;
    virtual void ShowAbout(QWidget* parent) = 0;
    // The help file at its default topic.
    virtual void ShowHelpIndex() = 0;
};
