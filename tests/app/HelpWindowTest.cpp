// Help asked for from the program opens its manual, in the current language, at the
// section of the dialog it was asked from.
#include "app/HelpInstall.h"
#include "i18n/MessageCatalogue.h"
#include "i18n/MessageTables.h"
#include "ui/HelpRoutine.h"
#include "ui/HelpViewer.h"
#include "ui/ResourceIds.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>

#include <gtest/gtest.h>

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

}  // namespace
