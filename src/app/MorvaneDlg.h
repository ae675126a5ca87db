#pragma once

#include "app/TrayIcon.h"
#include "app/WindowTimers.h"
#include "core/ElemList.h"
#include "core/Scheduler.h"
#include "core/WindowListFile.h"

#include <QDialog>
#include <QStringList>

#include <memory>

class CElemListCtrl;
class CMorvaneApp;
class IMainWindowDialogs;
class IMessageBoxes;
class ITrayShell;
class QPushButton;
struct CheckContext;

// What the main window works with, passed in so that tests can answer for the user.
struct MainWindowServices {
    CMorvaneApp& app;
    IMessageBoxes& boxes;
    IMainWindowDialogs& dialogs;
    ITrayShell& trayShell;
    CheckContext& checks;
};

// The program's one window: the watch list with its seven commands. It loads the list,
// runs the scheduler, hides into the notification area, and ends the program on Quit.
class CMorvaneDlg : public QDialog {
    Q_OBJECT

public:
    explicit CMorvaneDlg(MainWindowServices services);
    ~CMorvaneDlg() override;

    // Initialises the window as the program starts it; then `exec` runs it.
    void InitDialog();

    const ElemList& Elements() const { return m_arrElems; }
    CElemListCtrl& List() { return *m_list; }
    CTrayIcon& TrayIcon() { return m_trayIcon; }
    CWindowTimers& Timers() { return m_timers; }
    QWidget& ClientArea() { return *m_client; }

    // The commands, as the buttons, keys, menus and the tray reach them.
    void OnNew();
    void OnModify();
    void OnDelete();
    void OnCheckNow();
    void OnSave();
    void OnQuit();
    // Ends the run without a question, as Quit does once answered; nothing is saved.
    void EndRun();
    // The window is off the screen: hidden into the notification area, or minimised.
    bool IsReduced() const { return m_trayIcon.IsShown() || isMinimized(); }
    void OnReduce();
    void OnTrayOpen();
    void OnTrayVerifyAll();
    void OnTimer(int id);
    void OnDropFiles(const QStringList& paths);
    // A mouse event on the notification-area icon.
    void OnTrayMessage(CTrayIcon::Mouse mouse);
    // Another start on the same list: the window comes out of the notification area or the
    // task bar, in front of the others.
    void BringToFront();

    // Enter saves, Escape quits: neither closes the window by itself.
    void accept() override;
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The seven command buttons, found once when the window is built.
    struct Controls {
        QPushButton* newButton;
        QPushButton* modify;
        QPushButton* remove;
        QPushButton* checkNow;
        QPushButton* reduce;
        QPushButton* save;
        QPushButton* quit;
    };

    void BuildWindow();
    void AddWindowMenu();
    void LayOutControls();
    void EnableElementCommands(bool enable);
    void ShowFailuresInTray();
    // The element leaves the list (deleted, or replaced by its edited copy): its failure goes.
    void ForgetElement(size_t index);
    void BringBack();
    void OnTrayCommand(int id);
    bool AskQuit();

    MainWindowServices m_services;
    ElemList m_arrElems;
    CWindowListFile m_listFile;
    QWidget* m_client = nullptr;
    CElemListCtrl* m_list = nullptr;
    Controls m_controls{};
    CWindowTimers m_timers;
    CTrayIcon m_trayIcon;
    std::unique_ptr<CScheduler> m_scheduler;
};
