#include "WidgetTestSupport.h"
#include "RecordingMessageBoxes.h"

#include "i18n/MessageCatalogue.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// One application for the whole test program, with the shipped languages registered.
class WidgetEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "ui_tests";
        static char* argv[] = {name, nullptr};
        m_application = new QApplication(argc, argv);
        RecordingMessageBoxes boxes;
        RegisterShippedLanguages(TheCatalogue(), boxes);
    }
    void TearDown() override { delete m_application; }

private:
    QApplication* m_application = nullptr;
};

[[maybe_unused]] const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new WidgetEnvironment);

}  // namespace

void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

void OnNextModal(std::function<void(QDialog&)> action) {
    QTimer::singleShot(0, [action = std::move(action)] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr) << "no modal dialog is open";
        action(*dialog);
    });
}

void PressKey(QWidget& window, int key, Qt::KeyboardModifiers modifiers) {
    QWidget* target = window.focusWidget() != nullptr ? window.focusWidget() : &window;
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QApplication::sendEvent(target, &release);
}

void ClickWidget(QWidget& widget) {
    const QPointF centre = QRectF(widget.rect()).center();
    const QPointF global = widget.mapToGlobal(centre);
    QMouseEvent press(QEvent::MouseButtonPress, centre, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, centre, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(&widget, &release);
}

std::optional<QString> ScriptedFileChooser::ChooseFileToOpen(QWidget*) {
    ++m_nCalls;
    if (m_answers.empty()) {
        return std::nullopt;
    }
    // Taken apart here: moving the optional itself makes GCC 12 warn of an uninitialised
    // string that cannot be.
    const bool chosen = m_answers.front().has_value();
    QString path = chosen ? std::move(*m_answers.front()) : QString();
    m_answers.pop_front();
    if (!chosen) {
        return std::nullopt;
    }
    return path;
}
