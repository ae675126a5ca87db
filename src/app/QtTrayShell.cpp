#include "app/QtTrayShell.h"

CQtTrayShell::CQtTrayShell(const QIcon& icon, const QIcon& failingIcon, QObject* parent)
    : QObject(parent), m_plainIcon(icon), m_failingIcon(failingIcon), m_icon(icon) {
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

void CQtTrayShell::ShowFailures(const std::string& text) {
    m_icon.setToolTip(QString::fromStdString(text));
    m_icon.setIcon(text.empty() ? m_plainIcon : m_failingIcon);
}
