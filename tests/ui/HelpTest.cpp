#include "TempDir.h"
#include "WidgetTestSupport.h"

#include "app/HelpAccess.h"
#include "app/HelpContext.h"
#include "app/HelpInstall.h"
#include "core/KelElem.h"
#include "i18n/MessageCatalogue.h"
#include "i18n/MessageTables.h"
#include "ui/AboutBox.h"
#include "ui/FtpParametersDlg.h"
#include "ui/HelpRoutine.h"
#include "ui/HelpViewer.h"
#include "ui/ResourceIds.h"
#include "RecordingMessageBoxes.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

// The help window the program shows, if one is open.
CHelpViewer* OpenHelpWindow() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* viewer = dynamic_cast<CHelpViewer*>(window); viewer && viewer->isVisible()) {
            return viewer;
        }
    }
    return nullptr;
}

// The first paragraph or heading the help window shows at its top.
QString TopLine(const CHelpViewer& viewer) {
    const int top = viewer.verticalScrollBar()->value();
    for (QTextBlock block = viewer.document()->begin(); block.isValid(); block = block.next()) {
        if (viewer.document()->documentLayout()->blockBoundingRect(block).top() >= top - 8) {
            return block.text();
        }
    }
    return {};
}

// Help on a dialog opens the manual of the current language at that dialog's section; help
// on a dialog without one, and the help index, open it at its top. Only the resource number
// in a help context counts, whatever its upper half.
TEST(HelpContextTest, HelpOnADialogOpensItsSectionInTheCurrentLanguage) {
    struct Case {
        uint32_t context;
        uint32_t command;
        uint32_t lcid;
        const char* title;
        const char* top;
    };
    const char* const english = "Morvane help";
    const char* const french = "Aide de Morvane";
    const Case cases[] = {
        {kHelpIdBase + IDD_MORVANE, HELP_CONTEXT, kLcidEnglish, english, "The main window"},
        {kHelpIdBase + IDD_KELELEM, HELP_CONTEXT, kLcidFrench, french,
         "Modification d'un \xC3\xA9l\xC3\xA9ment"},
        {kHelpIdBase + IDD_FTPPARAMETERS, HELP_CONTEXT, 1031, english, "FTP parameters"},
        {0x10000 + kHelpIdBase + IDD_MORVANE, HELP_CONTEXT, kLcidEnglish, english,
         "The main window"},
        {kHelpIdBase + IDD_ABOUTBOX, HELP_CONTEXT, kLcidEnglish, english, "Morvane"},
        {kHelpIdBase + IDD_CHOOSELANGUAGE, HELP_CONTEXT, kLcidFrench, french, "Morvane"},
        {0, HELP_INDEX, kLcidFrench, french, "Morvane"},
        {kHelpIdBase + IDD_KELELEM, HELP_INDEX, kLcidEnglish, english, "Morvane"},
    };
    // The program as if installed beside the shipped manuals' "help" folder.
    InstallProgramHelp(MORVANE_HELP_PAGES "/../morvane");
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "context " << c.context << " in " << c.lcid);
        TheCatalogue().SetCurrentLcid(c.lcid);
        RequestHelp(c.context, c.command);
        CHelpViewer* viewer = OpenHelpWindow();
        ASSERT_NE(viewer, nullptr);
        EXPECT_EQ(viewer->windowTitle(), QString::fromUtf8(c.title));
        EXPECT_EQ(TopLine(*viewer), QString::fromUtf8(c.top));
    }
    OpenHelpWindow()->close();
    SetHelpRoutine(nullptr);
    TheCatalogue().SetCurrentLcid(kLcidEnglish);
}

TEST(HelpRoutineTest, F1InADialogAsksForItsContext) {
    std::vector<std::pair<uint32_t, uint32_t>> requests;
    SetHelpRoutine(
        [&](uint32_t context, uint32_t command) { requests.emplace_back(context, command); });
    const CKelElem element;
    CFtpParametersDlg parameters(element, nullptr);
    PressKey(parameters, Qt::Key_F1);
    PressKey(parameters, Qt::Key_F1, Qt::ShiftModifier);
    RecordingMessageBoxes boxes;
    CAboutBox about(boxes);
    PressKey(about, Qt::Key_F1);
    SetHelpRoutine(nullptr);

    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0], std::make_pair(kHelpIdBase + IDD_FTPPARAMETERS, HELP_CONTEXT));
    EXPECT_EQ(requests[1], std::make_pair(kHelpIdBase + IDD_ABOUTBOX, HELP_CONTEXT));
}

struct RecordingViewer : IHelpViewer {
    std::vector<std::pair<std::string, uint32_t>> shown;
    void ShowTopic(const std::string& path, uint32_t topic) override {
        shown.emplace_back(path, topic);
    }
};

TEST(HelpAccessTest, ShowsTheManualOfTheCurrentLanguage) {
    TempDir empty;
    TempDir folder;
    WriteWholeFile(folder.File("Morvane_ketrin.html"), "<html></html>");
    RecordingViewer viewer;
    CHelpAccess help({empty.Path().string(), folder.Path().string()}, viewer);
    TheCatalogue().SetCurrentLcid(kLcidFrench);
    help.WinHelp(kHelpIdBase + IDD_KELELEM, HELP_CONTEXT);
    help.WinHelp(0, HELP_INDEX);
    ASSERT_EQ(viewer.shown.size(), 2u);
    EXPECT_EQ(viewer.shown[0], std::make_pair(folder.File("Morvane_ketrin.html"), uint32_t{2}));
    EXPECT_EQ(viewer.shown[1].second, 0u);
}

TEST(HelpAccessTest, MissingManualFailsSilentlyOnceAndForAll) {
    TempDir folder;
    RecordingViewer viewer;
    CHelpAccess help({folder.Path().string()}, viewer);
    TheCatalogue().SetCurrentLcid(kLcidEnglish);
    EXPECT_EQ(help.CallHtmlHelp("Morvane_ketrin_us.html", HH_DISPLAY_TOPIC, 0), 0);
    WriteWholeFile(folder.File("Morvane_ketrin_us.html"), "<html></html>");
    help.WinHelp(0, HELP_INDEX);
    EXPECT_TRUE(viewer.shown.empty());
}

// The shipped manuals hold the three topics the context table points at.
TEST(HelpViewerTest, ShippedManualsShowEachTopic) {
    for (const char* file : {"Morvane_ketrin.html", "Morvane_ketrin_us.html"}) {
        const QString path = QStringLiteral(MORVANE_HELP_PAGES "/") + QString::fromUtf8(file);
        CHelpViewer viewer;
        viewer.resize(500, 300);
        viewer.ShowTopic(path, 0);
        EXPECT_FALSE(viewer.documentTitle().isEmpty()) << file;
        EXPECT_EQ(viewer.verticalScrollBar()->value(), 0) << file;
        int previous = 0;
        for (int topic = 1; topic <= 3; ++topic) {
            viewer.ShowTopic(path, topic);
            const int position = viewer.verticalScrollBar()->value();
            EXPECT_GT(position, previous) << file << " topic " << topic;
            previous = position;
        }
    }
}

// Where the anchor `name` sits in the viewer's document, in document pixels.
int AnchorTop(const CHelpViewer& viewer, const QString& name) {
    for (QTextBlock block = viewer.document()->begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            if (fragment.fragment().charFormat().anchorNames().contains(name)) {
                return static_cast<int>(
                    viewer.document()->documentLayout()->blockBoundingRect(block).top());
            }
        }
    }
    return -1;
}

// Each topic opens in a new window, as F1 in its dialog opens it: its heading at the top,
// the last one too. Escape closes the window.
TEST(HelpViewerTest, TopicHeadingShowsAtTheTopAndEscapeCloses) {
    const QString path = QStringLiteral(MORVANE_HELP_PAGES "/Morvane_ketrin_us.html");
    for (int topic = 1; topic <= 3; ++topic) {
        CHelpViewer viewer;
        viewer.ShowTopic(path, topic);
        const int top = AnchorTop(viewer, TopicAnchor(topic));
        ASSERT_GT(top, 0) << topic;
        EXPECT_NEAR(viewer.verticalScrollBar()->value(), top, 8) << "topic " << topic;
        PressKey(viewer, Qt::Key_Escape);
        EXPECT_FALSE(viewer.isVisible());
    }
}

}  // namespace
