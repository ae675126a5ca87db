#pragma once

#include <cstdint>

class CKelElem;
class QWidget;

// The dialogs the main window opens. The program shows the real ones; tests answer them.
class IMainWindowDialogs {
public:
    virtual ~IMainWindowDialogs() = default;
    // The element editor: 1 (Ok) after it wrote the element and set `modified`, else 2.
    virtual int EditElement(CKelElem& elem, QWidget* parent, int32_t& modified) = 0;
    virtual void ChooseLanguage(QWidget* parent) = 0;
    virtual void ShowAbout(QWidget* parent) = 0;
    // The help file at its default topic.
    virtual void ShowHelpIndex() = 0;
};
