#include "app/QtTrayShell.h"

QtTrayShell::QtTrayShell(const QIcon& icon, QObject* parent) : QObject(parent), m_icon(icon) {
    connect(&m_icon, &QSystemTrayIcon::activated, this, &QtTrayShell::activated);
}

bool QtTrayShell::IsAvailable() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

bool QtTrayShell::Add() {
    if (!IsAvailable()) {
        return false;
    }
    m_icon.show();
    return true;
}

bool QtTrayShell::Modify() {
    return IsAvailable();
}

bool QtTrayShell::Delete() {
    m_icon.hide();
    return true;
}
