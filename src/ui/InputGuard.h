#pragma once

#include <QElapsedTimer>
#include <QObject>

#include <chrono>

class QWidget;

// Keeps keys and clicks from a dialog whose Ok does what cannot be undone, for a short
// time after it appears: a key pressed for a window below, just as the dialog opened,
// must not answer it. Made a child of the dialog, it lasts as long as the dialog.
class CInputGuard : public QObject {
public:
    static constexpr std::chrono::milliseconds kDefaultSpan{500};

    explicit CInputGuard(QWidget& dialog, std::chrono::milliseconds span = kDefaultSpan);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Guards(QObject* watched) const;

    QWidget& m_dialog;
    std::chrono::milliseconds m_span;
    QElapsedTimer m_shown;
};
