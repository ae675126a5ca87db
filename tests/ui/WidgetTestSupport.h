#pragma once

#include "ui/FileChooser.h"

#include <QString>

#include <deque>
#include <functional>
#include <optional>
#include <ostream>

class QDialog;
class QWidget;

// Readable QStrings in failure messages.
void PrintTo(const QString& text, std::ostream* out);

// Runs `action` on the modal dialog that opens next, once its event loop runs.
void OnNextModal(std::function<void(QDialog&)> action);

// Sends a key press (and release) to the widget that has the focus in `window`, or to the
// window itself; it travels up to the parents like a typed key.
void PressKey(QWidget& window, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

// A left click at the centre of a widget, as the mouse gives it.
void ClickWidget(QWidget& widget);

// File chooser answering from a script: each call takes the next answer (nothing when the
// script is empty) and is counted.
class ScriptedFileChooser : public IFileChooser {
public:
    void AnswerNext(std::optional<QString> answer) { m_answers.push_back(std::move(answer)); }
    int Calls() const { return m_nCalls; }

    std::optional<QString> ChooseFileToOpen(QWidget* owner) override;

private:
    std::deque<std::optional<QString>> m_answers;
    int m_nCalls = 0;
};
