#pragma once

#include "i18n/MessageBoxes.h"

#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

// Real message boxes. Calls from a worker thread are carried to the user-interface thread,
// which shows the box while the worker waits for the answer.
class QtMessageBoxes : public QObject, public IMessageBoxes {
public:
    explicit QtMessageBoxes(QString applicationTitle);

    void SetMainWindow(QWidget* mainWindow) { m_mainWindow = mainWindow; }

    int ShowBox(const std::string& text, const std::string& caption, BoxIcon icon,
                BoxButtons buttons, BoxOwner owner) override;
    int ShowAppBox(const std::string& text, BoxIcon icon, BoxButtons buttons) override;

private:
    int ShowOnThisThread(const QString& text, const QString& caption, BoxIcon icon,
                         BoxButtons buttons, QWidget* owner);

    QString m_applicationTitle;
    QPointer<QWidget> m_mainWindow;
};
