#pragma once

#include "app/TrayShell.h"

#include <QObject>
#include <QSystemTrayIcon>

// The notification area through QSystemTrayIcon, with the program's icon and no tip.
class CQtTrayShell : public QObject, public ITrayShell {
    Q_OBJECT

public:
    explicit CQtTrayShell(const QIcon& icon, QObject* parent = nullptr);

    bool IsAvailable() const override;
    bool Add() override;
    bool Modify() override;
    bool Delete() override;

signals:
    void activated(QSystemTrayIcon::ActivationReason reason);

private:
    QSystemTrayIcon m_icon;
};
