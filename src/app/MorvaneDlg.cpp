#include "app/MorvaneDlg.h"

#include "app/ElemListCtrl.h"
#include "app/MainWindowDialogs.h"
#include "app/MainWindowLayout.h"
#include "app/MorvaneApp.h"
#include "app/TrayShell.h"
#include "core/CheckEnvironment.h"
#include "i18n/MessageBoxes.h"
#include "i18n/MessageCatalogue.h"
#include "ui/DialogBuilder.h"
#include "ui/DialogTemplates.h"
#include "ui/HelpRoutine.h"
#include "ui/ProgramIcon.h"
#include "ui/ResourceIds.h"
#include "ui/TranslateWindow.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

CMorvaneDlg::CMorvaneDlg(MainWindowServices services)
    : m_services(services), m_trayIcon(IDR_TRAYICON, services.trayShell) {
    BuildWindow();
    m_scheduler = std::make_unique<CScheduler>(m_arrElems, *m_list, m_timers, m_services.checks);
    connect(&m_timers, &CWindowTimers::tick, this, &CMorvaneDlg::OnTimer);
    connect(&m_trayIcon, &CTrayIcon::command, this, &CMorvaneDlg::OnTrayCommand);
}

CMorvaneDlg::~CMorvaneDlg() {
    m_scheduler->Stop();
}

void CMorvaneDlg::BuildWindow() {
    setWindowFlags(Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QString::fromUtf8(kMainWindowTemplate.title));
    m_client = new QWidget(this);
    const CDialogUnits units = BuildControls(
        *m_client, kMainWindowTemplate,
        [this](const ControlTemplate& control, QWidget& parent) -> QWidget* {
            if (control.kind != ControlKind::ListView) {
                return nullptr;
            }
            m_list = new CElemListCtrl(m_arrElems, m_services.checks.failures, &parent);
            return m_list;
        });
    const auto button = [this](int id) {
        return RequireControl<QPushButton>(*m_client, kMainWindowTemplate.id, id);
    };
    m_controls = {.newButton = button(IDC_NEW),
                  .modify = button(IDC_MODIFY),
                  .remove = button(IDC_DELETE),
                  .checkNow = button(IDC_CHECKNOW),
                  .reduce = button(IDC_REDUCE),
                  .save = button(IDOK),
                  .quit = button(IDCANCEL)};
    connect(m_controls.newButton, &QPushButton::clicked, this, &CMorvaneDlg::OnNew);
    connect(m_controls.modify, &QPushButton::clicked, this, &CMorvaneDlg::OnModify);
    connect(m_controls.remove, &QPushButton::clicked, this, &CMorvaneDlg::OnDelete);
    connect(m_controls.checkNow, &QPushButton::clicked, this, &CMorvaneDlg::OnCheckNow);
    connect(m_controls.reduce, &QPushButton::clicked, this, &CMorvaneDlg::OnReduce);
    connect(m_controls.save, &QPushButton::clicked, this, &CMorvaneDlg::OnSave);
    connect(m_controls.quit, &QPushButton::clicked, this, &CMorvaneDlg::OnQuit);
    connect(m_list, &CElemListCtrl::filesDropped, this, &CMorvaneDlg::OnDropFiles);
    connect(m_list, &CElemListCtrl::refilled, this, &CMorvaneDlg::ShowFailuresInTray);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_client);
    AddWindowMenu();
    m_client->installEventFilter(this);
    m_client->resize(units.ToPixelsX(kMainWindowTemplate.width),
                     units.ToPixelsY(kMainWindowTemplate.height));
}

// The desktop's window menu takes no entries from a program: the window's own entries and
// the three of the program go into a menu of the menu bar, reachable by mouse and by Alt+M.
void CMorvaneDlg::AddWindowMenu() {
    auto* bar = new QMenuBar(this);
    QMenu* menu = bar->addMenu(QStringLiteral("&Morvane"));
    menu->addSeparator();
    menu->addAction(QString::fromStdString(GetMessage("$$Choose language")), this,
                    [this] { m_services.dialogs.ChooseLanguage(this); });
    menu->addAction(QString::fromStdString(GetMessage("IDS_HELP")), this,
                    [this] { m_services.dialogs.ShowHelpIndex(); });
    menu->addAction(QString::fromStdString(GetMessage("IDS_ABOUTBOX")), this,
                    [this] { m_services.dialogs.ShowAbout(this); });
    layout()->setMenuBar(bar);
}

void CMorvaneDlg::InitDialog() {
    TranslateWindow(*m_client);
    setWindowIcon(ProgramIcon());
    m_list->InsertColumns();
    // The smallest size at which every control still fits, measured once the list has its
    // titles; the buttons took their size from the window's font when they were built.
    m_client->setMinimumSize(
        MinimumClientSize(m_controls.newButton->size(), m_list->HeightForTitlesAndOneRow()));
    m_trayIcon.SetTarget(this);
    CMorvaneApp& app = m_services.app;
    m_listFile.Load(app.m_strDatabasePath, app.m_bModified, m_arrElems, m_services.boxes);
    app.m_bModified = false;
    EnableElementCommands(!m_arrElems.empty());
    m_scheduler->Start();
    // Top-left corner, with the outer size the client area had: the template's size (the
    // window itself has no size of its own before it is first shown).
    const QSize client = m_client->size();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().topLeft());
    }
    resize(client);
}

void CMorvaneDlg::LayOutControls() {
    const MainWindowLayout layout =
        LayOutMainWindow(m_client->size(), m_controls.newButton->size());
    m_list->setGeometry(layout.list);
    m_controls.newButton->setGeometry(layout.newButton);
    m_controls.modify->setGeometry(layout.modifyButton);
    m_controls.remove->setGeometry(layout.deleteButton);
    m_controls.checkNow->setGeometry(layout.checkNowButton);
    m_controls.reduce->setGeometry(layout.reduceButton);
    m_controls.save->setGeometry(layout.saveButton);
    m_controls.quit->setGeometry(layout.quitButton);
}

bool CMorvaneDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_client && event->type() == QEvent::Resize) {
        LayOutControls();
    }
    return QDialog::eventFilter(watched, event);
}

void CMorvaneDlg::ShowFailuresInTray() {
    m_trayIcon.ShowFailures(FailingElementsText(m_arrElems, m_services.checks.failures));
}

void CMorvaneDlg::ForgetElement(size_t index) {
    m_services.checks.failures.Clear(*m_arrElems[index]);
}

void CMorvaneDlg::EnableElementCommands(bool enable) {
    for (QPushButton* button :
         {m_controls.modify, m_controls.remove, m_controls.checkNow, m_controls.reduce}) {
        button->setEnabled(enable);
    }
}

// F1 asks for the window's own help topic.
void CMorvaneDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        RequestHelp(kHelpIdBase + IDD_MORVANE, HELP_CONTEXT);
        return;
    }
    QDialog::keyPressEvent(event);
}
