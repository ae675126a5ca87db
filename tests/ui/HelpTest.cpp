#include "TempDir.h"
#include "WidgetTestSupport.h"

#include "app/HelpAccess.h"
#include "app/HelpContext.h"
#include "core/KelElem.h"
#include "i18n/MessageCatalogue.h"
#include "i18n/MessageTables.h"
#include "ui/AboutBox.h"
#include "ui/FtpParametersDlg.h"
#include "ui/HelpRoutine.h"
#include "ui/HelpViewer.h"
#include "RecordingMessageBoxes.h"

#include <QAbstractTextDocumentLayout>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

TEST(HelpContextTest, RequestsMapToFileAndTopic) {
    struct Case {
        uint32_t context;
        uint32_t command;
        uint32_t lcid;
        const char* file;
        uint32_t viewerCommand;
        uint32_t topic;
    };
    const Case cases[] = {
        {131174, HELP_CONTEXT, kLcidEnglish, "Morvane_ketrin_us.html", HH_HELP_CONTEXT, 1},
        {131201, HELP_CONTEXT, kLcidFrench, "Morvane_ketrin.html", HH_HELP_CONTEXT, 2},
        {131205, HELP_CONTEXT, 1031, "Morvane_ketrin_us.html", HH_HELP_CONTEXT, 3},
        {0x30066, HELP_CONTEXT, kLcidEnglish, "Morvane_ketrin_us.html", HH_HELP_CONTEXT, 1},
        {131172, HELP_CONTEXT, kLcidEnglish, "Morvane_ketrin_us.html", HH_DISPLAY_TOPIC, 0},
        {131210, HELP_CONTEXT, kLcidFrench, "Morvane_ketrin.html", HH_DISPLAY_TOPIC, 0},
        {0, HELP_INDEX, kLcidFrench, "Morvane_ketrin.html", HH_DISPLAY_TOPIC, 0},
        {131201, HELP_INDEX, kLcidEnglish, "Morvane_ketrin_us.html", HH_DISPLAY_TOPIC, 0},
    };
    for (const Case& c : cases) {
        const HtmlHelpCall call = HtmlHelpCallFor(c.context, c.command, c.lcid);
        EXPECT_EQ(call.file, c.file) << c.context;
        EXPECT_EQ(call.command, c.viewerCommand) << c.context;
        EXPECT_EQ(call.argument, c.topic) << c.context;
    }
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
    EXPECT_EQ(requests[0], std::make_pair(uint32_t{131205}, HELP_CONTEXT));
    EXPECT_EQ(requests[1], std::make_pair(uint32_t{131172}, HELP_CONTEXT));
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
    help.WinHelp(kHelpIdBase + 129, HELP_CONTEXT);
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
