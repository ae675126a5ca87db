#pragma once

#include <string>

// What the user is told or asked in a message box. Every layer reaches the user through
// this interface; the program shows real boxes, mvntool prints, tests answer from a script.
// Boxes are shown on the user-interface thread only: probes and download workers hand
// back what they have to say as values.

enum class BoxIcon { None, Error, Exclamation, Question };
enum class BoxButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class BoxOwner { None, MainWindow };

// The button that ended a box or a dialog; Cancel also for Escape and the close box.
enum class BoxAnswer { Ok, Cancel, Yes, No };

class IMessageBoxes {
public:
    virtual ~IMessageBoxes() = default;
    // A box with its own caption, such as an error box.
    virtual BoxAnswer ShowBox(const std::string& text, const std::string& caption, BoxIcon icon,
                              BoxButtons buttons, BoxOwner owner) = 0;
    // The application's message box: the application's title as caption, owned by the
    // main window.
    virtual BoxAnswer ShowAppBox(const std::string& text, BoxIcon icon, BoxButtons buttons) = 0;
};

// The error box: the text of a catalogue key, "ERROR" in the current language as caption,
// the error icon and an Ok button.
void ShowErrorBox(IMessageBoxes& boxes, const std::string& key, BoxOwner owner);
// The same box with a text already formatted.
void ShowErrorText(IMessageBoxes& boxes, const std::string& text, BoxOwner owner);
