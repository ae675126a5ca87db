#include "ui/InputGuard.h"

#include "ui/UserInput.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

CInputGuard::CInputGuard(QWidget& dialog, std::chrono::milliseconds span)
    : QObject(&dialog), m_dialog(dialog), m_span(span) {
    // Input reaches the dialog's buttons and the application's shortcut map, not only the
    // dialog itself.
    qApp->installEventFilter(this);
}

bool CInputGuard::Guards(QObject* watched) const {
    if (watched == &m_dialog) {
        return true;
    }
    const auto* widget = qobject_cast<const QWidget*>(watched);
    return widget != nullptr && m_dialog.isAncestorOf(widget);
}

bool CInputGuard::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_dialog && event->type() == QEvent::Show) {
        m_shown.start();
    }
    if (!IsUserInput(event->type()) || !Guards(watched)) {
        return false;
    }
    return !m_shown.isValid() || m_shown.elapsed() < m_span.count();
}
