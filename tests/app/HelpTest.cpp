#include "app/HelpAccess.h"
#include "app/HelpContext.h"
#include "i18n/MessageCatalogue.h"
#include "i18n/MessageTables.h"
#include "ui/HelpRoutine.h"
#include "ui/ResourceIds.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

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
    EXPECT_FALSE(help.CallHtmlHelp("Morvane_ketrin_us.html", HH_DISPLAY_TOPIC, 0));
    WriteWholeFile(folder.File("Morvane_ketrin_us.html"), "<html></html>");
    help.WinHelp(0, HELP_INDEX);
    EXPECT_TRUE(viewer.shown.empty());
}

}  // namespace
