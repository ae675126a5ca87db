#include "app/DesktopNotices.h"
#include "app/HelpInstall.h"
#include "app/ListClaim.h"
#include "app/MorvaneApp.h"
#include "app/MorvaneDlg.h"
#include "app/ProgramDialogs.h"
#include "app/QtLanguage.h"
#include "app/QtTrayShell.h"
#include "app/ResponsiveWait.h"
#include "app/TerminationSignals.h"
#include "core/RemoteAccess.h"
#include "core/SystemClock.h"
#include "core/ViewerLauncher.h"
#include "files/TemporaryFiles.h"
#include "i18n/MessageBoxes.h"
#include "i18n/MessageCatalogue.h"
#include "platform/ProgramPaths.h"
#include "platform/QtTrash.h"
#include "platform/TrustedKeysFile.h"
#include "remote/TransferText.h"
#include "ui/ProgramIcon.h"
#include "ui/QtMessageBoxes.h"
#include "ui/QtNoticePresenter.h"
#include "ui/TransferDlg.h"

#include <QApplication>
#include <QFileInfo>

#include <cstdlib>
#include <optional>

namespace {

CTrayIcon::Mouse MouseOf(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
        case QSystemTrayIcon::Context:
            return CTrayIcon::Mouse::RightButtonUp;
        case QSystemTrayIcon::DoubleClick:
            return CTrayIcon::Mouse::LeftDoubleClick;
        default:
            return CTrayIcon::Mouse::LeftClick;
    }
}

// Long enough for a window that is starting to answer, or for mvntool to end its write.
constexpr std::chrono::seconds kClaimPatience{10};

// Nothing when this process is to run the window of its list; otherwise its exit status, once
// the list's window came to the front or a box said that the list is held.
std::optional<int> ClaimList(CListClaim& claim, const std::string& databasePath,
                             IMessageBoxes& boxes) {
    switch (claim.Claim(kClaimPatience)) {
        case CListClaim::Outcome::Ours:
            return std::nullopt;
        case CListClaim::Outcome::HandedOver:
            return EXIT_SUCCESS;
        case CListClaim::Outcome::HeldElsewhere:
            break;
    }
    ShowErrorText(boxes, FormatKeyText("IDS_ERR_LISTHELD", databasePath), BoxOwner::None);
    return EXIT_FAILURE;
}

}  // namespace

int main(int argc, char* argv[]) {
    IgnoreFileSizeLimitSignal();
    QApplication application(argc, argv);
    // A Wayland desktop matches the windows to the menu entry by this id; on X11 the entry's
    // StartupWMClass names the window class, "morvane" after the program file.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.morvane"));
    // The main window is a dialog; hiding it into the tray must not end the program.
    QApplication::setQuitOnLastWindowClosed(false);
    const std::string programFile = CurrentProgramFile();
    CQtMessageBoxes boxes(QFileInfo(QString::fromStdString(programFile)).completeBaseName());

    CMorvaneApp app;
    app.LoadSettings(programFile, boxes);
    FollowInterfaceLanguage(application, TheCatalogue());
    CListClaim claim(app.m_strDatabasePath);
    if (const std::optional<int> status = ClaimList(claim, app.m_strDatabasePath, boxes)) {
        return *status;
    }
    InstallProgramHelp(programFile);

    CSystemClock clock;
    CQtNoticePresenter notice;
    CResponsiveWait wait;
    QWidget* mainWindow = nullptr;
    CTrustedKeysFile trustedKeys(app.Settings());
    CRemoteAccess remote(
        app.Settings().InternetProbeHost(),
        [&mainWindow, &boxes] {
            return std::make_unique<CTransferDlg>(mainWindow, boxes.ApplicationTitle());
        },
        app.Settings().ConnectionLimits(), &trustedKeys);
    CQtTrash trash;
    CViewerLauncher viewer;
    CheckContext checks{clock, notice, wait, remote, trash, viewer, boxes};
    checks.trustedKeys = &trustedKeys;
    CUserKnownHosts knownHosts;
    checks.knownHosts = &knownHosts;
    CProgramDialogs dialogs(app.Settings(), boxes);
    CQtTrayShell trayShell(ProgramIcon(), ProgramIconWithWarningMark());

    CMorvaneDlg window({app, boxes, dialogs, trayShell, checks});
    mainWindow = &window;
    CDesktopNotices desktopNotices(QDBusConnection::sessionBus(),
                                   [&window] { return window.IsReduced(); });
    checks.desktop = &desktopNotices;
    wait.HoldDuringWaits(&window.Timers());
    boxes.SetMainWindow(&window);
    // Queued: Open hides the icon, which destroys the icon's window, so no command may run
    // inside that window's own mouse event. A click on the icon during a wait is dropped as
    // every input of the wait is.
    QObject::connect(
        &trayShell, &CQtTrayShell::activated, &window,
        [&window, &wait](QSystemTrayIcon::ActivationReason reason) {
            if (!wait.IsWaiting()) {
                window.OnTrayMessage(MouseOf(reason));
            }
        },
        Qt::QueuedConnection);
    QObject::connect(&claim, &CListClaim::showRequested, &window, &CMorvaneDlg::BringToFront);
    // Not exec(): hiding a dialog ends its own modal loop, and Reduce hides the window. The
    // application's loop runs until Quit ends the window. exit(), not quit(): quit() first
    // asks every window to close, and a download's progress window answers a close by
    // cancelling and staying. exit() also ends the loops of open boxes and of a download,
    // which then stops, and every loop that would start later returns at once; a responsive
    // wait whose work is still going ends the process there.
    bool ended = false;
    QObject::connect(&window, &QDialog::finished, &application, [&ended] {
        ended = true;
        QCoreApplication::exit(0);
    });
    // From here on a termination signal ends the run as Quit does; before, nothing of the
    // user's has been read, and the signal ends the process at once.
    CTerminationSignals terminationSignals;
    QObject::connect(&terminationSignals, &CTerminationSignals::received, &window,
                     &CMorvaneDlg::EndRun);
    window.InitDialog();
    // The launch checks run their boxes and downloads in loops of their own, where the run
    // may already have ended.
    if (ended) {
        return 0;
    }
    window.show();
    return QApplication::exec();
}
