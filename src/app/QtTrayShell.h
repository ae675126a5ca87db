#pragma once

#include "app/TrayShell.h"

#include <QObject>
#include <QSystemTrayIcon>

// The notification area through QSystemTrayIcon: the program's icon and no tip, or while
// elements are failing the icon with a warning mark and a tip that says so.
class CQtTrayShell : public QObject, public ITrayShell {
    Q_OBJECT

public:
    CQtTrayShell(const QIcon& icon, const QIcon& failingIcon, QObject* parent = nullptr);

    bool IsAvailable() const override;
    bool Add() override;
    bool Modify() override;
    bool Delete() override;
    void ShowFailures(const std::string& text) override;

signals:
    void activated(QSystemTrayIcon::ActivationReason reason);

private:
    QIcon m_plainIcon;
    QIcon m_failingIcon;
    QSystemTrayIcon m_icon;
};
