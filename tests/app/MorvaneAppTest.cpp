#include "app/MorvaneApp.h"

#include "i18n/MessageCatalogue.h"
#include "i18n/MessageTables.h"

#include "RecordingMessageBoxes.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class MorvaneAppTest : public ::testing::Test {
protected:
    void SetUp() override { TheCatalogue() = CMessageCatalogue(); }

    // Starts the application as if its program file were `name` in the temporary folder.
    CMorvaneApp Start(const std::string& name, const char* locale) {
        setenv("LANG", locale, 1);
        TheCatalogue() = CMessageCatalogue();
        CMorvaneApp app;
        app.LoadSettings(m_dir.File(name), m_boxes);
        return app;
    }

    TempDir m_dir;
    RecordingMessageBoxes m_boxes;
};

TEST_F(MorvaneAppTest, NoSettingsFileStartsQuietlyInTheLocaleLanguage) {
    const CMorvaneApp app = Start("watch", "fr_FR.UTF-8");
    EXPECT_EQ(app.m_strDatabasePath, m_dir.File("watch.MVN"));
    EXPECT_EQ(app.Settings().Path(), m_dir.File("watch.INI"));
    EXPECT_EQ(app.m_nLaunchAsIcon, 1);
    EXPECT_FALSE(app.m_bModified);
    EXPECT_EQ(TheCatalogue().CurrentLcid(), kLcidFrench);
    EXPECT_TRUE(m_boxes.Boxes().empty());
}

TEST_F(MorvaneAppTest, LanguageSettingOverridesTheLocaleOnlyWhenExact) {
    WriteWholeFile(m_dir.File("watch.INI"), "[Config]\nLanguage=US\nLaunchAsIcon=0\n");
    CMorvaneApp app = Start("watch", "fr_FR.UTF-8");
    EXPECT_EQ(TheCatalogue().CurrentLcid(), kLcidEnglish);
    EXPECT_EQ(app.m_nLaunchAsIcon, 0);

    WriteWholeFile(m_dir.File("watch.INI"), "[Config]\nLanguage=fr\n");
    Start("watch", "en_US.UTF-8");
    EXPECT_EQ(TheCatalogue().CurrentLcid(), kLcidEnglish);

    // A renamed program reads the settings of its new name.
    WriteWholeFile(m_dir.File("other.INI"), "[Config]\nLanguage=FR\n");
    app = Start("other", "en_US.UTF-8");
    EXPECT_EQ(TheCatalogue().CurrentLcid(), kLcidFrench);
    EXPECT_EQ(app.m_strDatabasePath, m_dir.File("other.MVN"));
}

TEST_F(MorvaneAppTest, LanguageWrittenBySettingsIsReadBack) {
    const CMorvaneApp app = Start("watch", "C");
    ASSERT_TRUE(app.Settings().WriteString("Language", "FR"));
    EXPECT_EQ(app.Settings().Language(), "FR");
    EXPECT_EQ(app.Settings().ReadString("Missing", "default"), "default");
}

}  // namespace
