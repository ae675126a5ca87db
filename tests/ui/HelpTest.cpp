#include "WidgetTestSupport.h"

#include "core/KelElem.h"
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
