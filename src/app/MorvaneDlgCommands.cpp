// The main window's commands: the buttons, the keys, the tray menu and dropped files.
#include "app/MorvaneDlg.h"

#include "app/ElemListCtrl.h"
#include "app/MainWindowDialogs.h"
#include "app/MorvaneApp.h"
#include "app/TrayShell.h"
#include "core/CheckEnvironment.h"
#include "i18n/MessageBoxes.h"
#include "i18n/MessageCatalogue.h"
#include "ui/ResourceIds.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>

#include <optional>

void CMorvaneDlg::OnNew() {
    auto elem = std::make_unique<CKelElem>();
    elem->m_timeReference = m_services.checks.clock.Now();
    elem->m_timeAtTime = elem->m_timeReference;
    if (m_services.dialogs.EditElement(*elem, this, m_services.app.m_bModified) == BoxAnswer::Ok) {
        m_arrElems.push_back(std::move(elem));
    }
    if (!m_arrElems.empty()) {
        EnableElementCommands(true);
    }
    m_list->RefillList(nullptr);
}

void CMorvaneDlg::OnModify() {
    const std::optional<int> row = m_list->SelectedItem();
    if (!row) {
        return;
    }
    const int index = m_list->ElementIndexOfRow(*row);
    if (index < 0 || static_cast<size_t>(index) >= m_arrElems.size()) {
        return;
    }
    auto copy = std::make_unique<CKelElem>(*m_arrElems[static_cast<size_t>(index)]);
    if (m_services.dialogs.EditElement(*copy, this, m_services.app.m_bModified) == BoxAnswer::Ok &&
        static_cast<size_t>(index) < m_arrElems.size()) {
        const CKelElem* edited = copy.get();
        ForgetElement(static_cast<size_t>(index));
        m_arrElems[static_cast<size_t>(index)] = std::move(copy);
        m_list->RefillList(edited);
    } else {
        m_list->RefillList(nullptr);
    }
    m_list->SelectRow(*row);
}

void CMorvaneDlg::OnDelete() {
    const std::optional<int> row = m_list->SelectedItem();
    if (!row) {
        return;
    }
    const BoxAnswer answer =
        m_services.boxes.ShowBox(Lookup("IDS_SURE"), Lookup("IDS_DELETE"), BoxIcon::Question,
                                 BoxButtons::OkCancel, BoxOwner::MainWindow);
    if (answer != BoxAnswer::Ok) {
        return;
    }
    const int index = m_list->ElementIndexOfRow(*row);
    if (index >= 0 && static_cast<size_t>(index) < m_arrElems.size()) {
        ForgetElement(static_cast<size_t>(index));
        m_arrElems.erase(m_arrElems.begin() + index);
        m_services.app.m_bModified = true;
    }
    m_list->RefillList(nullptr);
    m_list->SelectRow(*row);
    if (m_arrElems.empty()) {
        EnableElementCommands(false);
    }
}

void CMorvaneDlg::OnCheckNow() {
    m_scheduler->CheckSelected();
}

void CMorvaneDlg::OnSave() {
    CMorvaneApp& app = m_services.app;
    m_listFile.Save(app.m_strDatabasePath, app.m_bModified, m_arrElems, m_services.boxes,
                    m_services.checks.clock.Now());
}

void CMorvaneDlg::accept() {
    OnSave();
}

void CMorvaneDlg::reject() {
    OnQuit();
}

void CMorvaneDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
    OnQuit();
}

bool CMorvaneDlg::AskQuit() {
    if (!m_services.app.m_bModified) {
        return true;
    }
    return m_services.boxes.ShowBox(Lookup("IDS_QUIT"), Lookup("IDS_SURE"), BoxIcon::Exclamation,
                                    BoxButtons::OkCancel, BoxOwner::MainWindow) == BoxAnswer::Ok;
}

void CMorvaneDlg::OnQuit() {
    if (AskQuit()) {
        EndRun();
    }
}

void CMorvaneDlg::EndRun() {
    m_scheduler->Stop();
    done(Rejected);
}

void CMorvaneDlg::OnDropFiles(const QStringList& paths) {
    const QString path = QDir::toNativeSeparators(paths.first());
    auto elem = std::make_unique<CKelElem>();
    elem->m_timeReference = m_services.checks.clock.Now();
    elem->m_timeAtTime = elem->m_timeReference;
    elem->m_strDescription = QFileInfo(path).completeBaseName().toStdString();
    elem->m_strCopy = path.toStdString();
    if (m_services.dialogs.EditElement(*elem, m_list, m_services.app.m_bModified) ==
        BoxAnswer::Ok) {
        m_arrElems.push_back(std::move(elem));
        EnableElementCommands(true);
    }
    m_list->RefillList(nullptr);
}

void CMorvaneDlg::OnTimer(int id) {
    m_scheduler->OnTimer(id);
}

// Without a notification area, or when the icon cannot be added, the window is minimised
// instead of hidden, so that it can always come back.
void CMorvaneDlg::OnReduce() {
    if (m_trayIcon.ShowTrayIcon(IDR_TRAYICON)) {
        hide();
    } else {
        showMinimized();
    }
}

void CMorvaneDlg::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized() && isVisible() &&
        m_trayIcon.ShowTrayIcon(IDR_TRAYICON)) {
        hide();
    }
}

void CMorvaneDlg::BringBack() {
    show();
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    activateWindow();
}

void CMorvaneDlg::OnTrayOpen() {
    m_trayIcon.ShowTrayIcon(0);
    BringBack();
}

void CMorvaneDlg::BringToFront() {
    if (isHidden() || isMinimized()) {
        OnTrayOpen();
    }
    raise();
    activateWindow();
}

void CMorvaneDlg::OnTrayVerifyAll() {
    m_scheduler->CheckAll(true);
}

void CMorvaneDlg::OnTrayMessage(CTrayIcon::Mouse mouse) {
    if (mouse == CTrayIcon::Mouse::LeftDoubleClick) {
        OnTrayOpen();
    }
    m_trayIcon.OnTrayNotify(IDR_TRAYICON, mouse);
}

void CMorvaneDlg::OnTrayCommand(int id) {
    switch (id) {
        case IDM_OPEN:
            OnTrayOpen();
            break;
        case IDM_VERIFY_ALL:
            OnTrayVerifyAll();
            break;
        case IDM_HELP:
            m_services.dialogs.ShowHelpIndex();
            break;
        case IDM_QUIT:
            OnQuit();
            break;
        default:
            break;
    }
}
