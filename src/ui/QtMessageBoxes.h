#pragma once

#include "i18n/MessageBoxes.h"

#include <QPointer>
#include <QString>

class QWidget;

// Real message boxes, shown on the user-interface thread (the only one that shows any).
// The main window owns the application's boxes and those asked to be owned by it.
class CQtMessageBoxes : public IMessageBoxes {
public:
    explicit CQtMessageBoxes(QString applicationTitle);

    const QString& ApplicationTitle() const { return m_applicationTitle; }
    void SetMainWindow(QWidget* mainWindow) { m_mainWindow = mainWindow; }

    BoxAnswer ShowBox(const std::string& text, const std::string& caption, BoxIcon icon,
                      BoxButtons buttons, BoxOwner owner) override;
    BoxAnswer ShowAppBox(const std::string& text, BoxIcon icon, BoxButtons buttons) override;

private:
    static BoxAnswer Show(const QString& text, const QString& caption, BoxIcon icon,
                          BoxButtons buttons, QWidget* owner);

    QString m_applicationTitle;
    QPointer<QWidget> m_mainWindow;
};
