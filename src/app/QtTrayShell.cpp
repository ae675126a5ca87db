#include "app/QtTrayShell.h"

CQtTrayShell::CQtTrayShell(const QIcon& icon, QObject* parent) : QObject(parent), m_icon(icon) {
    connect(&m_icon, &QSystemTrayIcon::activated, this, &CQtTrayShell::activated);
}

bool CQtTrayShell::IsAvailable() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

bool CQtTrayShell::Add() {
    if (!IsAvailable()) {
        return false;
    }
    m_icon.show();
    return true;
}

bool CQtTrayShell::Modify() {
    return IsAvailable();
}

bool CQtTrayShell::Delete() {
    m_icon.hide();
    return true;
}
