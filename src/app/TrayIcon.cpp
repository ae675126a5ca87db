#include "app/TrayIcon.h"

#include "app/TrayShell.h"
#include "ui/TranslateWindow.h"

#include <QCursor>
#include <QMenu>
#include <QWidget>

namespace {

struct MenuItem {
    int id;
    const char* text;
};

// The tray menu: one popup, no separators.
constexpr MenuItem kTrayMenu[] = {
    {IDM_OPEN, "$$Open Morvane"},
    {IDM_VERIFY_ALL, "$$Verify all now"},
    {IDM_HELP, "$$Help"},
    {IDM_QUIT, "$$Quit"},
};

}  // namespace

void LoadTrayMenu(QMenu& menu) {
    menu.clear();
    for (const MenuItem& item : kTrayMenu) {
        menu.addAction(QString::fromUtf8(item.text))->setData(item.id);
    }
    TranslateMenu(menu);
}

CTrayIcon::CTrayIcon(int resourceId, ITrayShell& shell) : m_nId(resourceId), m_shell(shell) {}

CTrayIcon::~CTrayIcon() {
    ShowTrayIcon(0);
}

void CTrayIcon::SetTarget(QWidget* target) {
    m_target = target;
}

bool CTrayIcon::ShowTrayIcon(int resourceId) {
    return SetTrayIcon(resourceId != 0);
}

// Every refill of the list tells the icon; the desktop redraws it only when it changes.
void CTrayIcon::ShowFailures(const std::string& text) {
    if (text != m_strFailures) {
        m_strFailures = text;
        m_shell.ShowFailures(text);
    }
}

bool CTrayIcon::SetTrayIcon(bool show) {
    if (!show && !m_bShown) {
        return true;
    }
    bool ok = false;
    if (show) {
        ok = m_bShown ? m_shell.Modify() : m_shell.Add();
    } else {
        ok = m_shell.Delete();
    }
    m_bShown = show && ok;
    return ok;
}

// The menu outlives every event it delivers: it is never deleted while the click that
// chose one of its items is still being handled.
QMenu& CTrayIcon::ReloadMenu() {
    if (!m_menu) {
        m_menu = std::make_unique<QMenu>();
    }
    LoadTrayMenu(*m_menu);
    return *m_menu;
}

bool CTrayIcon::OnTrayNotify(int id, Mouse mouse) {
    if (id != m_nId || (mouse != Mouse::RightButtonUp && mouse != Mouse::LeftDoubleClick)) {
        return false;
    }
    if (m_menu && m_menu->isVisible()) {
        return true;
    }
    QMenu& menu = ReloadMenu();
    const QList<QAction*> actions = menu.actions();
    if (mouse == Mouse::RightButtonUp) {
        QFont bold = actions.first()->font();
        bold.setBold(true);
        actions.first()->setFont(bold);
        menu.setDefaultAction(actions.first());
        if (m_target) {
            m_target->activateWindow();
        }
        if (QAction* chosen = menu.exec(QCursor::pos())) {
            emit command(chosen->data().toInt());
        }
    } else {
        emit command(actions.first()->data().toInt());
    }
    return true;
}
