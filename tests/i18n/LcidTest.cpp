#include "i18n/Lcid.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(Lcid, LocaleNamesGiveLanguageIdentifiers) {
    EXPECT_EQ(LcidFromLocaleName("fr_CA.UTF-8"), 0x0C0Cu);
    EXPECT_EQ(LcidFromLocaleName("en_GB"), 0x0809u);
    EXPECT_EQ(LcidFromLocaleName("de_AT.UTF-8@euro"), 0x0C07u);
    EXPECT_EQ(LcidFromLocaleName("fr"), 0x040Cu);
    EXPECT_EQ(LcidFromLocaleName("C"), 0x0409u);
    EXPECT_EQ(LcidFromLocaleName("POSIX"), 0x0409u);
    EXPECT_EQ(LcidFromLocaleName("C.UTF-8"), 0x0409u);
    EXPECT_EQ(LcidFromLocaleName("xx_YY"), 0x1000u);
}

TEST(Lcid, VariablesAreTakenInPriorityOrder) {
    setenv("LC_ALL", "", 1);
    setenv("LC_MESSAGES", "fr_BE.UTF-8", 1);
    setenv("LANG", "en_US.UTF-8", 1);
    EXPECT_EQ(UserDefaultLcid(), 0x080Cu);
    setenv("LC_ALL", "de_DE", 1);
    EXPECT_EQ(UserDefaultLcid(), 0x0407u);
    unsetenv("LC_ALL");
    unsetenv("LC_MESSAGES");
    unsetenv("LANG");
    EXPECT_EQ(UserDefaultLcid(), 0x0409u);
}

TEST(Lcid, RegionalVariantsFoldOntoTheMainLanguage) {
    for (uint32_t french : {0x080Cu, 0x0C0Cu, 0x100Cu, 0x140Cu}) {
        EXPECT_EQ(MapSystemLcid(french), 0x040Cu);
    }
    for (uint32_t english :
         {0x0809u, 0x0C09u, 0x1009u, 0x1409u, 0x1809u, 0x1C09u, 0x2009u, 0x2809u, 0x2C09u}) {
        EXPECT_EQ(MapSystemLcid(english), 0x0409u);
    }
    for (uint32_t german : {0x0807u, 0x0C07u, 0x1007u, 0x1407u}) {
        EXPECT_EQ(MapSystemLcid(german), 0x0407u);
    }
    EXPECT_EQ(MapSystemLcid(0x180Cu), 0x180Cu);
    EXPECT_EQ(MapSystemLcid(0x0C0Au), 0x0C0Au);
}

}  // namespace
