#pragma once

#include <QObject>
#include <QPointer>

#include <memory>
#include <string>

class ITrayShell;
class QMenu;
class QWidget;

// Commands of the notification-area menu, as the main window receives them.
inline constexpr int IDM_OPEN = 32771;
inline constexpr int IDM_QUIT = 32772;
inline constexpr int IDM_VERIFY_ALL = 32773;
inline constexpr int IDM_HELP = 48;

// The program's icon in the notification area. It is shown exactly while the main window
// is reduced; a right-button release shows its menu, one menu for the icon's life whose
// items are reloaded and translated at each use; a double click chooses the menu's first
// command.
class CTrayIcon : public QObject {
    Q_OBJECT

public:
    enum class Mouse { LeftClick, LeftDoubleClick, RightButtonDown, RightButtonUp };

    CTrayIcon(int resourceId, ITrayShell& shell);
    ~CTrayIcon() override;

    void SetTarget(QWidget* target);
    // With a resource number, shows the icon; with 0, removes it.
    bool ShowTrayIcon(int resourceId);
    bool IsShown() const { return m_bShown; }
    // The failing elements as the icon shows them: see ITrayShell::ShowFailures.
    void ShowFailures(const std::string& text);
    // True when the notification was for this icon and a menu or a command followed.
    bool OnTrayNotify(int id, Mouse mouse);

signals:
    // A menu command chosen by the user or by a double click.
    void command(int id);

private:
    bool SetTrayIcon(bool show);
    QMenu& ReloadMenu();

    int m_nId;
    ITrayShell& m_shell;
    QPointer<QWidget> m_target;
    bool m_bShown = false;
    std::string m_strFailures;
    std::unique_ptr<QMenu> m_menu;
};

// Fills `menu` with the items of the tray menu (IDR_TRAYICON), in the current language.
void LoadTrayMenu(QMenu& menu);
