#include "app/ElemListCtrl.h"
#include "app/MainWindowDialogs.h"
#include "app/MorvaneApp.h"
#include "app/MorvaneDlg.h"
#include "app/TrayShell.h"
#include "core/Database.h"
#include "ui/DialogBuilder.h"
#include "ui/DialogTemplates.h"
#include "ui/QtMessageBoxes.h"
#include "ui/ResourceIds.h"
#include "ui/TemplateDialog.h"

#include "platform/TrustedKeysFile.h"

#include "CheckFakes.h"
#include "PackageServers.h"
#include "ScopedVariable.h"
#include "SshServer.h"
#include "TempDir.h"
#include "TestServers.h"
#include "TlsCertificates.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QAbstractButton>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFontInfo>
#include <QHeaderView>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <deque>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <utility>

namespace {

// The element editor answered by the test: each call runs the next scripted edit, which
// returns Ok or Cancel. Ok sets the modified flag, as the real editor does.
class ScriptedDialogs : public IMainWindowDialogs {
public:
    using Edit = std::function<BoxAnswer(CKelElem&)>;

    BoxAnswer EditElement(CKelElem& elem, QWidget*, bool& modified) override {
        edited.push_back(elem);
        if (edits.empty()) {
            return BoxAnswer::Cancel;
        }
        const BoxAnswer answer = edits.front()(elem);
        edits.pop_front();
        if (answer == BoxAnswer::Ok) {
            modified = true;
        }
        return answer;
    }
    void ChooseLanguage(QWidget*) override {}
    void ShowAbout(QWidget*) override {}
    void ShowHelpIndex() override { ++helpRequests; }

    void Add(const std::string& description, int32_t when = WHEN_ON_DEMAND) {
        edits.push_back([description, when](CKelElem& elem) {
            elem.m_strDescription = description;
            elem.m_nWhen = when;
            return BoxAnswer::Ok;
        });
    }

    std::deque<Edit> edits;
    std::vector<CKelElem> edited;
    int helpRequests = 0;
};

class CountingTrayShell : public ITrayShell {
public:
    bool IsAvailable() const override { return available; }
    bool Add() override {
        ++adds;
        return available;
    }
    bool Modify() override { return available; }
    bool Delete() override {
        ++deletes;
        return true;
    }
    void ShowFailures(const std::string& text) override { failures = text; }
    bool available = true;
    int adds = 0;
    int deletes = 0;
    std::string failures;  // the tooltip, with the icon's warning mark while not empty
};

// Right-clicks the tray icon and picks the menu item at `position` once the menu is up.
void ChooseFromTrayMenu(CMorvaneDlg& window, int position) {
    QTimer::singleShot(0, [position] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        EXPECT_TRUE(menu->defaultAction() == menu->actions().first());
        menu->setActiveAction(menu->actions().at(position));
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(menu, &enter);
    });
    window.OnTrayMessage(CTrayIcon::Mouse::RightButtonUp);
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_app.m_strDatabasePath = m_dir.File("watch.MVN");
        m_checks.clock.now = LocalTimeValue(2026, 12, 7, 10, 15, 42);
    }

    CMorvaneDlg& Open() {
        m_window = std::make_unique<CMorvaneDlg>(
            MainWindowServices{m_app, m_checks.boxes, m_dialogs, m_tray, m_checks.context});
        m_window->InitDialog();
        m_window->show();
        return *m_window;
    }

    QPushButton& Button(int id) {
        return *RequireControl<QPushButton>(m_window->ClientArea(), IDD_MORVANE, id);
    }

    bool ElementCommandsEnabled() {
        return Button(IDC_MODIFY).isEnabled() && Button(IDC_DELETE).isEnabled() &&
               Button(IDC_CHECKNOW).isEnabled() && Button(IDC_REDUCE).isEnabled();
    }
    bool ElementCommandsDisabled() {
        return !Button(IDC_MODIFY).isEnabled() && !Button(IDC_DELETE).isEnabled() &&
               !Button(IDC_CHECKNOW).isEnabled() && !Button(IDC_REDUCE).isEnabled();
    }

    QString Cell(int row, int column) {
        const QAbstractItemModel& rows = *m_window->List().model();
        return rows.data(rows.index(row, column)).toString();
    }

    TempDir m_dir;
    CMorvaneApp m_app;
    CheckFixture m_checks;
    ScriptedDialogs m_dialogs;
    CountingTrayShell m_tray;
    std::unique_ptr<CMorvaneDlg> m_window;
};

TEST_F(MainWindowTest, FirstStartWithoutFileThenAPermanentElementIsCheckedAtTheNextMinute) {
    CMorvaneDlg& window = Open();
    EXPECT_TRUE(window.Elements().empty());
    EXPECT_TRUE(ElementCommandsDisabled());
    EXPECT_TRUE(Button(IDC_NEW).isEnabled() && Button(IDOK).isEnabled() &&
                Button(IDCANCEL).isEnabled());
    EXPECT_TRUE(m_checks.boxes.Boxes().empty());
    EXPECT_TRUE(window.Timers().IsRunning(CScheduler::kTimerAlign));

    m_dialogs.edits.push_back([](CKelElem& elem) {
        elem.m_strDescription = "report";
        elem.m_nWhen = WHEN_PERMANENT;
        elem.m_nCheckMode = CHECK_ABSOLUTE_TIME;
        elem.m_strCopy = "/nonexistent/report.txt";
        return BoxAnswer::Ok;
    });
    window.OnNew();
    ASSERT_EQ(window.Elements().size(), 1u);
    EXPECT_TRUE(ElementCommandsEnabled());
    EXPECT_EQ(Cell(0, 0), QStringLiteral("report"));
    EXPECT_EQ(Cell(0, 1), QStringLiteral(" "));
    EXPECT_EQ(Cell(0, 2), QStringLiteral("Not checked."));

    // Not yet a whole minute: nothing happens.
    window.OnTimer(CScheduler::kTimerAlign);
    EXPECT_EQ(Cell(0, 2), QStringLiteral("Not checked."));
    m_checks.clock.now = LocalTimeValue(2026, 12, 7, 10, 16, 0);
    window.OnTimer(CScheduler::kTimerAlign);
    EXPECT_EQ(Cell(0, 2), QStringLiteral("No new version."));
    EXPECT_EQ(Cell(0, 1), QStringLiteral("07/12/2026 10:16:00"));
    EXPECT_FALSE(window.Timers().IsRunning(CScheduler::kTimerAlign));
    EXPECT_TRUE(window.Timers().IsRunning(CScheduler::kTimerMinute));
}

TEST_F(MainWindowTest, StateColumnShowsEachStateAndAnUnknownOneAsNotChecked) {
    CMorvaneDlg& window = Open();
    const std::pair<int32_t, const char*> states[] = {
        {STATE_NOT_CHECKED, "Not checked."},
        {STATE_NO_NEW_VERSION, "No new version."},
        {STATE_NEW_VERSION, "New version found !"},
        {STATE_NO_INTERNET, "No internet connection available !"},
        {4, "Not checked."},
        {-1, "Not checked."},
    };
    for (const auto& [state, text] : states) {
        m_dialogs.edits.push_back([state = state, &window](CKelElem& elem) {
            elem.m_strDescription = std::to_string(window.Elements().size());
            elem.m_nState = state;
            return BoxAnswer::Ok;
        });
        window.OnNew();
    }
    for (int row = 0; row < static_cast<int>(std::size(states)); ++row) {
        EXPECT_EQ(Cell(row, 2), QString::fromUtf8(states[row].second)) << states[row].first;
    }
}

TEST_F(MainWindowTest, RowsSortByDescriptionAndCarryTheirElementIndex) {
    CMorvaneDlg& window = Open();
    m_dialogs.Add("beta");
    window.OnNew();
    m_dialogs.Add("Alpha");
    window.OnNew();
    ASSERT_EQ(window.Elements().size(), 2u);
    EXPECT_EQ(window.Elements()[0]->m_strDescription, "beta");
    EXPECT_EQ(Cell(0, 0), QStringLiteral("Alpha"));
    EXPECT_EQ(Cell(1, 0), QStringLiteral("beta"));
    EXPECT_EQ(window.List().ElementIndexOfRow(0), 1);
    EXPECT_EQ(window.List().ElementIndexOfRow(1), 0);

    // Modify on the row "Alpha" edits the element stored in that row, and keeps the row
    // position selected.
    window.List().SelectRow(0);
    m_dialogs.edits.push_back([](CKelElem& elem) {
        elem.m_strDescription = "gamma";
        return BoxAnswer::Ok;
    });
    window.OnModify();
    ASSERT_EQ(m_dialogs.edited.back().m_strDescription, "Alpha");
    EXPECT_EQ(window.Elements()[1]->m_strDescription, "gamma");
    EXPECT_EQ(Cell(0, 0), QStringLiteral("beta"));
    EXPECT_EQ(window.List().SelectedItem(), 0);

    // A cancelled Modify leaves the element as it was.
    window.OnModify();
    EXPECT_EQ(window.Elements()[0]->m_strDescription, "beta");
}

// Rows of equal descriptions stay in list order, also when an edit makes one more of them.
TEST_F(MainWindowTest, EqualDescriptionsStayInListOrder) {
    CMorvaneDlg& window = Open();
    for (const char* description : {"beta", "alpha", "beta"}) {
        m_dialogs.Add(description);
        window.OnNew();
    }
    ASSERT_EQ(window.Elements().size(), 3u);
    EXPECT_EQ(window.List().ElementIndexOfRow(0), 1);
    EXPECT_EQ(window.List().ElementIndexOfRow(1), 0);
    EXPECT_EQ(window.List().ElementIndexOfRow(2), 2);

    window.List().SelectRow(0);
    m_dialogs.edits.push_back([](CKelElem& elem) {
        elem.m_strDescription = "beta";
        return BoxAnswer::Ok;
    });
    window.OnModify();
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(Cell(row, 0), QStringLiteral("beta"));
        EXPECT_EQ(window.List().ElementIndexOfRow(row), row);
    }
}

TEST_F(MainWindowTest, DeleteAsksThenSaveWritesTheShorterList) {
    CMorvaneDlg& window = Open();
    m_dialogs.Add("one");
    window.OnNew();
    m_dialogs.Add("two");
    window.OnNew();
    window.OnSave();
    EXPECT_FALSE(m_app.m_bModified);

    window.List().SelectRow(0);
    m_checks.boxes.AnswerNext(BoxAnswer::Cancel);
    window.OnDelete();
    EXPECT_EQ(window.Elements().size(), 2u);
    EXPECT_FALSE(m_app.m_bModified);

    window.OnDelete();
    ASSERT_EQ(window.Elements().size(), 1u);
    const auto boxes = m_checks.boxes.Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, "Are you sure ?");
    EXPECT_EQ(boxes[1].caption, "Delete");
    EXPECT_TRUE(m_app.m_bModified);
    EXPECT_EQ(window.List().SelectedItem(), 0);
    EXPECT_TRUE(ElementCommandsEnabled());

    // Enter saves and the window stays open.
    window.List().setFocus();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(&window.List(), &enter);
    EXPECT_FALSE(m_app.m_bModified);
    EXPECT_TRUE(window.isVisible());
    ElemList reread;
    bool modified = false;
    std::string path = m_app.m_strDatabasePath;
    ASSERT_TRUE(LoadDatabase(path, modified, reread, m_checks.boxes));
    ASSERT_EQ(reread.size(), 1u);
    EXPECT_EQ(reread[0]->m_strDescription, "two");

    window.List().SelectRow(0);
    window.OnDelete();
    EXPECT_TRUE(window.Elements().empty());
    EXPECT_TRUE(ElementCommandsDisabled());
    EXPECT_EQ(window.List().SelectedItem(), std::nullopt);
}

TEST_F(MainWindowTest, EachWayOfQuittingAsksExactlyOnceWhenModified) {
    const std::vector<std::function<void(CMorvaneDlg&)>> ways = {
        [](CMorvaneDlg& w) { w.OnQuit(); },
        [](CMorvaneDlg& w) { w.reject(); },
        [](CMorvaneDlg& w) {
            QCloseEvent close;
            QApplication::sendEvent(&w, &close);
        },
        [](CMorvaneDlg& w) { ChooseFromTrayMenu(w, 3); },
    };
    for (size_t way = 0; way < ways.size(); ++way) {
        SCOPED_TRACE(way);
        const size_t before = m_checks.boxes.Boxes().size();
        CMorvaneDlg& window = Open();
        int ends = 0;
        QObject::connect(&window, &QDialog::finished, &window, [&ends] { ++ends; });
        // Unmodified: ends at once without a question.
        ways[way](window);
        EXPECT_EQ(m_checks.boxes.Boxes().size(), before);
        EXPECT_EQ(ends, 1);
        EXPECT_FALSE(window.isVisible());

        CMorvaneDlg& again = Open();
        m_dialogs.Add("x");
        again.OnNew();
        m_checks.boxes.AnswerNext(BoxAnswer::Cancel);
        ways[way](again);
        const auto boxes = m_checks.boxes.Boxes();
        ASSERT_EQ(boxes.size(), before + 1);
        EXPECT_EQ(boxes.back().text, "Do you really want to quit without saving ?");
        EXPECT_EQ(boxes.back().caption, "Are you sure ?");
        EXPECT_TRUE(again.isVisible());
        ways[way](again);
        EXPECT_EQ(m_checks.boxes.Boxes().size(), before + 2);
        EXPECT_FALSE(again.isVisible());
        m_app.m_bModified = false;
    }
}

// However the window is sized, its controls stay inside it and apart: the list takes the
// room the window gains, the buttons keep their size on one row under it, New to Check now
// held to the left edge and Reduce to Quit to the right one.
TEST_F(MainWindowTest, ResizedWindowKeepsEveryControlInsideAndApart) {
    CMorvaneDlg& window = Open();
    const QWidget& list = window.List();
    const std::vector<const QWidget*> left = {&Button(IDC_NEW), &Button(IDC_MODIFY),
                                              &Button(IDC_DELETE), &Button(IDC_CHECKNOW)};
    const std::vector<const QWidget*> right = {&Button(IDC_REDUCE), &Button(IDOK),
                                               &Button(IDCANCEL)};
    std::vector<const QWidget*> buttons = left;
    buttons.insert(buttons.end(), right.begin(), right.end());
    const QSize buttonSize = Button(IDC_NEW).size();
    // A button's distance to the side it is held to, and to the bottom.
    const auto offset = [&](const QWidget* button, const QRect& area) {
        const QRect at = button->geometry();
        const bool onLeft = std::find(left.begin(), left.end(), button) != left.end();
        return QPoint(onLeft ? at.left() : area.right() - at.right(), area.bottom() - at.bottom());
    };

    const QSize opened = window.size();
    std::optional<QSize> listMargin;  // the client area less the list, as opened
    std::vector<QPoint> offsets;      // as opened
    for (const QSize grown : {QSize(0, 0), QSize(300, 200), QSize(120, 40), QSize(0, 0)}) {
        SCOPED_TRACE(testing::Message() << "grown by " << grown.width() << "x" << grown.height());
        window.resize(opened + grown);
        QApplication::processEvents();
        ASSERT_EQ(window.ClientArea().width(), opened.width() + grown.width());
        const QRect area = window.ClientArea().rect();

        EXPECT_TRUE(area.contains(list.geometry()));
        const QSize margin = area.size() - list.size();
        EXPECT_EQ(margin, listMargin.value_or(margin)) << "the list grows with the window";
        listMargin = margin;
        for (size_t i = 0; i < buttons.size(); ++i) {
            const QRect at = buttons[i]->geometry();
            SCOPED_TRACE(buttons[i]->objectName().toStdString());
            EXPECT_TRUE(area.contains(at));
            EXPECT_EQ(at.size(), buttonSize);
            EXPECT_EQ(at.top(), Button(IDC_NEW).y());
            EXPECT_GT(at.top(), list.geometry().bottom());
            if (i > 0) {
                EXPECT_GT(at.left(), buttons[i - 1]->geometry().right()) << "in order, apart";
            }
            if (offsets.size() < buttons.size()) {
                offsets.push_back(offset(buttons[i], area));
            }
            EXPECT_EQ(offset(buttons[i], area), offsets[i]);
        }
    }
}

// Shrunk below its minimum, the window stays at it. There, in the usual font and in one twice
// as large, every control is inside the client area and none overlaps another, and the list
// still shows its titles and a whole row.
TEST_F(MainWindowTest, ShrunkWindowStopsWhereEveryControlStillFits) {
    const QFont usual = QApplication::font();
    for (const int scale : {1, 2}) {
        SCOPED_TRACE(testing::Message() << "font scaled by " << scale);
        QFont font = usual;
        font.setPointSizeF(QFontInfo(usual).pointSizeF() * scale);
        QApplication::setFont(font);
        CMorvaneDlg& window = Open();
        m_dialogs.Add("report");
        window.OnNew();
        window.resize(1, 1);
        QApplication::processEvents();
        EXPECT_EQ(window.size(), window.minimumSize());

        const CElemListCtrl& list = window.List();
        std::vector<const QWidget*> controls = {&list};
        for (const int id :
             {IDC_NEW, IDC_MODIFY, IDC_DELETE, IDC_CHECKNOW, IDC_REDUCE, IDOK, IDCANCEL}) {
            controls.push_back(&Button(id));
        }
        const QRect area = window.ClientArea().rect();
        for (size_t i = 0; i < controls.size(); ++i) {
            SCOPED_TRACE(controls[i]->objectName().toStdString());
            EXPECT_TRUE(area.contains(controls[i]->geometry()));
            for (size_t j = 0; j < i; ++j) {
                EXPECT_FALSE(controls[i]->geometry().intersects(controls[j]->geometry()))
                    << controls[j]->objectName().toStdString();
            }
        }
        EXPECT_TRUE(list.rect().contains(list.header()->geometry()));
        const QRect row = list.visualRect(list.model()->index(0, 0));
        EXPECT_FALSE(row.isEmpty());
        EXPECT_TRUE(list.viewport()->rect().contains(row));
    }
    QApplication::setFont(usual);
}

// The window opens as large as the dialog its template makes, not at a default size.
TEST_F(MainWindowTest, OpensWithTheTemplatesSize) {
    CMorvaneDlg& window = Open();
    const CTemplateDialog templateDialog(kMainWindowTemplate, nullptr);
    EXPECT_EQ(window.size(), templateDialog.size());
    EXPECT_NE(window.size(), QSize(640, 480));
}

TEST_F(MainWindowTest, DroppedFileOpensTheEditorOnItsNameAndPath) {
    CMorvaneDlg& window = Open();
    window.OnDropFiles({QStringLiteral("/docs/report.final.txt"), QStringLiteral("/docs/b.txt"),
                        QStringLiteral("/docs/c.txt")});
    ASSERT_EQ(m_dialogs.edited.size(), 1u);
    EXPECT_EQ(m_dialogs.edited[0].m_strDescription, "report.final");
    EXPECT_EQ(m_dialogs.edited[0].m_strCopy, "/docs/report.final.txt");
    EXPECT_TRUE(window.Elements().empty());
    EXPECT_TRUE(ElementCommandsDisabled());

    m_dialogs.edits.push_back([](CKelElem&) { return BoxAnswer::Ok; });
    window.OnDropFiles({QStringLiteral("/docs/notes")});
    ASSERT_EQ(window.Elements().size(), 1u);
    EXPECT_EQ(window.Elements()[0]->m_strDescription, "notes");
    EXPECT_TRUE(ElementCommandsEnabled());
}

TEST_F(MainWindowTest, ReduceHidesIntoTheTrayAndOpenBringsTheWindowBack) {
    CMorvaneDlg& window = Open();
    m_dialogs.Add("x");
    window.OnNew();
    window.OnReduce();
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(window.TrayIcon().IsShown());
    window.OnTrayOpen();
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.TrayIcon().IsShown());
    window.OnReduce();
    EXPECT_EQ(m_tray.adds, 2);
    EXPECT_EQ(m_tray.deletes, 1);

    // A double click comes back once; removing an icon already gone calls nothing.
    window.OnTrayMessage(CTrayIcon::Mouse::LeftDoubleClick);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(m_tray.deletes, 2);

    // Single clicks and a pressed right button do nothing.
    window.OnReduce();
    window.OnTrayMessage(CTrayIcon::Mouse::LeftClick);
    window.OnTrayMessage(CTrayIcon::Mouse::RightButtonDown);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(MainWindowTest, WithoutNotificationAreaReduceMinimises) {
    m_tray.available = false;
    CMorvaneDlg& window = Open();
    window.OnReduce();
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.isMinimized());
    EXPECT_FALSE(window.TrayIcon().IsShown());
}

TEST_F(MainWindowTest, VerifyAllChecksOnDemandElementsWhileHidden) {
    CMorvaneDlg& window = Open();
    m_dialogs.edits.push_back([](CKelElem& elem) {
        elem.m_strDescription = "on demand";
        elem.m_nWhen = WHEN_ON_DEMAND;
        elem.m_nCheckMode = CHECK_ABSOLUTE_TIME;
        elem.m_strCopy = "/nonexistent";
        return BoxAnswer::Ok;
    });
    window.OnNew();
    window.OnReduce();
    ChooseFromTrayMenu(window, 1);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.Elements()[0]->m_nState, STATE_NO_NEW_VERSION);
}

// Each failing element's row reads "Check failed: REASON", its tooltip the whole failure
// and when it began; the tray icon says how many fail (one: its description). A deleted
// or edited element takes its failure with it.
TEST_F(MainWindowTest, FailingElementsShowInTheirRowsAndInTheTray) {
    CMorvaneDlg& window = Open();
    const std::string down = "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/report.pdf";
    for (const char* description : {"alpha", "beta"}) {
        m_dialogs.edits.push_back([&down, description](CKelElem& elem) {
            elem.m_strDescription = description;
            elem.m_nWhen = WHEN_ON_DEMAND;
            elem.m_nCheckMode = CHECK_ABSOLUTE_TIME;
            elem.m_strCopy = down;
            return BoxAnswer::Ok;
        });
        window.OnNew();
    }
    EXPECT_EQ(m_tray.failures, "");
    window.OnTrayVerifyAll();
    EXPECT_EQ(Cell(0, 2), QStringLiteral("Check failed: HTTP Send Request failed: 7"));
    const QAbstractItemModel& rows = *window.List().model();
    EXPECT_EQ(rows.data(rows.index(0, 0), Qt::ToolTipRole).toString(),
              QStringLiteral("HTTP connection error\nHTTP Send Request failed: 7\n\n"
                             "Failing since 07/12/2026 10:15:42"));
    EXPECT_EQ(m_tray.failures, "2 elements failing");

    TheCatalogue().SetCurrentLcid(kLcidFrench);
    window.OnTrayVerifyAll();
    EXPECT_EQ(m_tray.failures, "2 éléments en échec");
    EXPECT_EQ(Cell(1, 2).toStdString(),
              "Échec de la vérification : Echec de l'envoi de requète HTTP : 7");
    TheCatalogue().SetCurrentLcid(kLcidEnglish);

    window.List().SelectRow(0);
    window.OnDelete();
    EXPECT_EQ(m_tray.failures, "beta");
    const std::string good = m_dir.File("good.txt");
    WriteWholeFile(good, "x");
    window.List().SelectRow(0);
    m_dialogs.edits.push_back([&good](CKelElem& elem) {
        elem.m_strCopy = good;
        return BoxAnswer::Ok;
    });
    window.OnModify();
    EXPECT_EQ(m_tray.failures, "");
    EXPECT_EQ(Cell(0, 2), QStringLiteral("Not checked."));
    EXPECT_FALSE(rows.data(rows.index(0, 2), Qt::ToolTipRole).isValid());
}

// The message boxes on screen, the one opened last at the end.
std::vector<QMessageBox*> OpenBoxes() {
    std::vector<QMessageBox*> open;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        if (box && box->isVisible()) {
            open.push_back(box);
        }
    }
    QWidget* modal = QApplication::activeModalWidget();
    std::stable_partition(open.begin(), open.end(), [modal](QWidget* box) { return box != modal; });
    return open;
}

// An FTP element whose server refuses the login and an HTTP element whose server is down,
// both permanent, their failure boxes left unanswered, listed before a permanent element
// that checks well. The minute pass that the aligning timer starts shows the FTP element's
// box; the minute timer (at a short period, each tick a new minute of the test's clock)
// then fires inside that box's loop: its pass shows the HTTP element's box but no second
// box for the FTP element. Every later tick still gets its pass while both boxes stay
// open, and that pass checks the good element. Once answered, every pass unwinds.
TEST_F(MainWindowTest, UnansweredFailureBoxesDoNotPileUpNorStopThePasses) {
    TempDir served;
    const CFtpTestServer server(served.Path().string());
    CQtMessageBoxes boxes(QStringLiteral("morvane"));
    CheckContext checks{m_checks.clock, m_checks.notice, m_checks.wait, m_checks.remote,
                        m_checks.trash, m_checks.viewer, boxes};
    m_checks.clock.now = LocalTimeValue(2026, 12, 7, 10, 16, 0);
    CMorvaneDlg window({m_app, boxes, m_dialogs, m_tray, checks});
    boxes.SetMainWindow(&window);
    window.InitDialog();
    window.show();
    const std::string addresses[] = {
        "ftp://127.0.0.1:" + std::to_string(server.Port()) + "/report.txt",
        "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/report.txt"};
    for (const std::string& address : addresses) {
        m_dialogs.edits.push_back([address](CKelElem& elem) {
            elem.m_strDescription = address;
            elem.m_nWhen = WHEN_PERMANENT;
            elem.m_nCheckMode = CHECK_ABSOLUTE_TIME;
            elem.m_strCopy = address;
            elem.m_strFtpUser = "user";
            elem.m_strFtpPassword = "wrong";
            return BoxAnswer::Ok;
        });
        window.OnNew();
    }
    const std::string good = m_dir.File("good.txt");
    WriteWholeFile(good, "x");
    m_dialogs.edits.push_back([&good](CKelElem& elem) {
        elem.m_strDescription = "good";
        elem.m_nWhen = WHEN_PERMANENT;
        elem.m_nCheckMode = CHECK_ABSOLUTE_TIME;
        elem.m_timeReference = 0x7fffffff;
        elem.m_strCopy = good;
        return BoxAnswer::Ok;
    });
    window.OnNew();
    const CKelElem& goodElem = *window.Elements().back();

    // For each minute tick once its pass is over: the boxes then open, and whether the pass
    // checked the good element (its last access is that minute's).
    struct Pass {
        size_t boxesOpen;
        bool checkedGood;
    };
    std::vector<Pass> passes;
    QObject::connect(&window.Timers(), &CWindowTimers::tick, [&](int id) {
        if (id == CScheduler::kTimerMinute) {
            passes.push_back({OpenBoxes().size(), goodElem.m_timeLastAccess == m_checks.clock.now});
            m_checks.clock.now += 60;
        }
    });

    // Boxes open at once, by element.
    size_t mostFtp = 0;
    size_t mostHttp = 0;
    int unanswered = 0;
    QEventLoop done;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        const std::vector<QMessageBox*> open = OpenBoxes();
        const auto http =
            static_cast<size_t>(std::count_if(open.begin(), open.end(), [](QMessageBox* box) {
                return box->text().contains(QStringLiteral("HTTP"));
            }));
        mostFtp = std::max(mostFtp, open.size() - http);
        mostHttp = std::max(mostHttp, http);
        // Left unanswered for about fifteen minute periods from the first box on.
        if (!open.empty() && unanswered == 0) {
            window.Timers().Start(CScheduler::kTimerMinute, 50);
        }
        if (unanswered < 40) {
            unanswered += open.empty() ? 0 : 1;
            return;
        }
        window.Timers().Stop(CScheduler::kTimerMinute);
        if (!open.empty()) {
            open.back()->button(QMessageBox::Ok)->click();
        } else {
            done.quit();
        }
    });
    user.start(20);
    done.exec();

    EXPECT_EQ(mostFtp, 1u);
    EXPECT_EQ(mostHttp, 1u);
    EXPECT_TRUE(OpenBoxes().empty());
    EXPECT_EQ(goodElem.m_nState, STATE_NO_NEW_VERSION);
    for (const auto& elem : window.Elements()) {
        EXPECT_EQ(elem->m_nState,
                  elem.get() == &goodElem ? STATE_NO_NEW_VERSION : STATE_NOT_CHECKED);
        EXPECT_EQ(elem->m_bActive, 1);
    }
    const auto withBothBoxes = std::count_if(passes.begin(), passes.end(),
                                             [](const Pass& pass) { return pass.boxesOpen == 2; });
    EXPECT_GE(withBothBoxes, 5);
    for (const Pass& pass : passes) {
        EXPECT_TRUE(pass.checkedGood) << "a pass with " << pass.boxesOpen << " boxes open";
    }
}

// An https element whose server shows a self-signed certificate, checked with "Verify all
// now": the failure boxes, then the question that offers to trust the server's key. No
// changes nothing and the element stays "Not checked."; Yes writes the key to [TrustedKeys]
// of the INI, the element is checked again at once, and every later check succeeds without
// a box.
TEST_F(MainWindowTest, TrustQuestionKeepsTheKeyOnlyOnYes) {
    if (!CPackageServer::Installed(PackageServerKind::Nginx)) {
        GTEST_SKIP() << "nginx is not installed";
    }
    const CTlsCertificates& certificates = CTlsCertificates::Get();
    const auto selfSigned = CTlsCertificates::Kind::SelfSigned;
    TempDir served;
    WriteWholeFile(served.File("report.txt"), "report");
    const CPackageServer nginx(
        PackageServerKind::Nginx, served.Path().string(),
        {certificates.Certificate(selfSigned), certificates.Key(selfSigned), false});
    const std::string address = nginx.SecureUrl("/files/report.txt");
    const std::string server = address.substr(8, address.find("/files") - 8);
    const std::string port = server.substr(server.find(':') + 1);
    const std::string pin = certificates.Pin(selfSigned);

    const CSettingsFile settings(m_dir.File("watch.INI"));
    CTrustedKeysFile trustedKeys(settings);
    CRemoteAccess remote("", m_checks.windows, {}, &trustedKeys);
    CQtMessageBoxes boxes(QStringLiteral("morvane"));
    CheckContext checks{m_checks.clock, m_checks.notice, m_checks.wait, remote,
                        m_checks.trash, m_checks.viewer, boxes};
    checks.trustedKeys = &trustedKeys;
    CMorvaneDlg window({m_app, boxes, m_dialogs, m_tray, checks});
    boxes.SetMainWindow(&window);
    window.InitDialog();
    window.show();
    m_dialogs.edits.push_back([&address](CKelElem& elem) {
        elem.m_strDescription = "secure";
        elem.m_nWhen = WHEN_ON_DEMAND;
        elem.m_nCheckMode = CHECK_ABSOLUTE_TIME;
        elem.m_timeReference = 0;
        elem.m_strCopy = address;
        return BoxAnswer::Ok;
    });
    window.OnNew();
    const CKelElem& elem = *window.Elements().front();

    // Answers every box: Ok, or `answer` to the question; records the texts.
    const auto verifyAnswering = [&](QMessageBox::StandardButton answer) {
        std::vector<std::string> texts;
        QTimer user;
        QObject::connect(&user, &QTimer::timeout, [&] {
            for (QMessageBox* box : OpenBoxes()) {
                texts.push_back(box->text().toStdString());
                QAbstractButton* button = box->button(answer);
                (button ? button : box->button(QMessageBox::Ok))->click();
            }
        });
        user.start(20);
        window.OnTrayVerifyAll();
        return texts;
    };

    const std::vector<std::string> refused = verifyAnswering(QMessageBox::No);
    ASSERT_EQ(refused.size(), 3u);
    EXPECT_EQ(refused[0], "The server " + server +
                              " is not trusted: its certificate is self-signed.\nServer key: " +
                              pin + "\nSSL certificate problem: self-signed certificate");
    EXPECT_EQ(refused[1], "HTTP connection error");
    EXPECT_EQ(refused[2], "Trust this key for the server 127.0.0.1, port " + port + " ?\n\n" + pin +
                              "\n\nFrom now on a server there is accepted only when it shows "
                              "exactly this key.");
    EXPECT_TRUE(settings.ReadTrustedKeys().empty());
    EXPECT_EQ(elem.m_nState, STATE_NOT_CHECKED);

    EXPECT_EQ(verifyAnswering(QMessageBox::Yes).size(), 3u);
    EXPECT_EQ(settings.ReadTrustedKeys(), (TrustedKeys{{server, pin}}));
    EXPECT_EQ(elem.m_nState, STATE_NEW_VERSION);

    EXPECT_TRUE(verifyAnswering(QMessageBox::No).empty());
    EXPECT_EQ(elem.m_nState, STATE_NEW_VERSION);
}

// An sftp element whose server known_hosts does not know, checked with "Verify all now": the
// failure boxes with the key's fingerprint, then the question. No changes nothing; Yes
// appends the server's line to known_hosts after what was there, the element is checked
// again at once, and later checks need no box.
TEST_F(MainWindowTest, HostKeyQuestionAppendsToKnownHostsOnlyOnYes) {
    if (!CSshTestServer::Available()) {
        GTEST_SKIP() << "sshd is not installed, or this process may not run it (not root)";
    }
    TempDir served;
    WriteWholeFile(served.File("report.txt"), "report");
    const CSshTestServer sshd(served.Path().string());
    const ScopedVariable home("HOME", m_dir.Path().string());
    std::filesystem::create_directory(m_dir.File(".ssh"));
    const std::string knownHosts = m_dir.File(".ssh/known_hosts");
    WriteWholeFile(knownHosts, "# kept as it is\n");
    const std::string server = "[127.0.0.1]:" + std::to_string(sshd.Port());
    const std::string fingerprint = SshKeygenFingerprint(sshd.HostKeyFile());

    CQtMessageBoxes boxes(QStringLiteral("morvane"));
    CUserKnownHosts userKnownHosts;
    CheckContext checks{m_checks.clock, m_checks.notice, m_checks.wait, m_checks.remote,
                        m_checks.trash, m_checks.viewer, boxes};
    checks.knownHosts = &userKnownHosts;
    CMorvaneDlg window({m_app, boxes, m_dialogs, m_tray, checks});
    boxes.SetMainWindow(&window);
    window.InitDialog();
    window.show();
    m_dialogs.edits.push_back([&sshd](CKelElem& elem) {
        elem.m_strDescription = "sftp";
        elem.m_nWhen = WHEN_ON_DEMAND;
        elem.m_nCheckMode = CHECK_ABSOLUTE_TIME;
        elem.m_timeReference = 0;
        elem.m_strCopy = sshd.Url("/~/report.txt");
        elem.m_strFtpPassword = "secret";
        return BoxAnswer::Ok;
    });
    window.OnNew();
    const CKelElem& elem = *window.Elements().front();

    const auto verifyAnswering = [&](QMessageBox::StandardButton answer) {
        std::vector<std::string> texts;
        QTimer user;
        QObject::connect(&user, &QTimer::timeout, [&] {
            for (QMessageBox* box : OpenBoxes()) {
                texts.push_back(box->text().toStdString());
                QAbstractButton* button = box->button(answer);
                (button ? button : box->button(QMessageBox::Ok))->click();
            }
        });
        user.start(20);
        window.OnTrayVerifyAll();
        return texts;
    };

    const std::vector<std::string> refused = verifyAnswering(QMessageBox::No);
    ASSERT_EQ(refused.size(), 3u);
    const std::string shown = "ED25519 key fingerprint is " + fingerprint + ".";
    EXPECT_EQ(refused[0], "The authenticity of host " + server +
                              " can't be established: its key is not in your known_hosts "
                              "file.\n" +
                              shown);
    EXPECT_EQ(refused[1], "SFTP connection error");
    EXPECT_EQ(refused[2], "Trust the server " + server + " ?\n\n" + shown +
                              "\n\nYes adds its "
                              "key at the end of " +
                              knownHosts +
                              ", as ssh does; from then on "
                              "the server is accepted only with this key.");
    EXPECT_EQ(ReadWholeFile(knownHosts), "# kept as it is\n");
    EXPECT_EQ(elem.m_nState, STATE_NOT_CHECKED);

    EXPECT_EQ(verifyAnswering(QMessageBox::Yes).size(), 3u);
    EXPECT_EQ(ReadWholeFile(knownHosts),
              "# kept as it is\n" + server + " " + PublicKeyText(sshd.HostKeyFile()) + "\n");
    EXPECT_EQ(elem.m_nState, STATE_NEW_VERSION);

    EXPECT_TRUE(verifyAnswering(QMessageBox::No).empty());
    EXPECT_EQ(elem.m_nState, STATE_NEW_VERSION);
}

TEST(TrayMenu, ItemsFollowTheInterfaceLanguage) {
    CheckFixture fixture;
    const auto texts = [] {
        QMenu menu;
        LoadTrayMenu(menu);
        QStringList list;
        for (QAction* action : menu.actions()) {
            list << action->text();
        }
        return list;
    };
    EXPECT_EQ(texts(),
              QStringList({QStringLiteral("&Open Morvane"), QStringLiteral("&Verify all now"),
                           QStringLiteral("&Help"), QStringLiteral("&Quit")}));
    TheCatalogue().SetCurrentLcid(kLcidFrench);
    EXPECT_EQ(texts(), QStringList({QStringLiteral("&Ouvrir Morvane"),
                                    QString::fromUtf8("&V\xC3\xA9rifier tout maintenant"),
                                    QStringLiteral("&Aide"), QStringLiteral("&Quitter")}));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
