#include "i18n/MessageCatalogue.h"
#include "i18n/MessageTables.h"

#include "RecordingMessageBoxes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::vector<MessagePair> TableOf(const MessagePair* table) {
    std::vector<MessagePair> pairs;
    for (; table->key; ++table) {
        pairs.push_back(*table);
    }
    return pairs;
}

// A catalogue filled as start-up fills it, under a given system locale.
CMessageCatalogue ShippedCatalogue(const char* locale, RecordingMessageBoxes& boxes) {
    setenv("LANG", locale, 1);
    CMessageCatalogue catalogue;
    RegisterShippedLanguages(catalogue, boxes);
    return catalogue;
}

TEST(MessageTables, BothTablesHoldTheSameKeysInTheSameOrder) {
    const auto french = TableOf(kFrenchMessages);
    const auto english = TableOf(kEnglishMessages);
    ASSERT_EQ(french.size(), english.size());
    ASSERT_GE(french.size(), 105u);
    for (size_t i = 0; i < french.size(); ++i) {
        EXPECT_STREQ(french[i].key, english[i].key) << "entry " << i + 1;
        EXPECT_STRNE(french[i].text, "") << french[i].key;
        EXPECT_STRNE(english[i].text, "") << english[i].key;
    }
    EXPECT_STREQ(french.front().key, "IDS_ABOUTBOX");
    EXPECT_STREQ(french[104].key, "$$has been found ");
}

TEST(MessageTables, TextsKeepTheirExactBytes) {
    RecordingMessageBoxes boxes;
    CMessageCatalogue catalogue = ShippedCatalogue("en_US.UTF-8", boxes);
    EXPECT_EQ(catalogue.Lookup("IDS_ERR_NEEDORIG"),
              "You\tcannot use this option if the local original file name is not filled.");
    EXPECT_EQ(catalogue.Lookup("IDS_NEWFILEFOUND"), "New file version found !\n\n");
    EXPECT_EQ(catalogue.Lookup("IDS_BYTEREAD"), "%d of %d  bytes read");
    EXPECT_EQ(catalogue.Lookup("IDS_DOWNLOADING"), "Downloading ");
    EXPECT_EQ(catalogue.Lookup("$$System dependant"), "Automatic");
    EXPECT_EQ(catalogue.Lookup("$$has been found "), "has been found ");
    catalogue.SetCurrentLcid(kLcidFrench);
    EXPECT_EQ(catalogue.Lookup("IDS_ACCESS"), "Dernier acc\xC3\xA8s");
    EXPECT_EQ(catalogue.Lookup("IDS_USEOK"), "\n\nUtilisez OK pour");
    EXPECT_EQ(catalogue.Lookup("IDS_BYTEREAD"), "%d octets lus sur  %d .");
    EXPECT_EQ(catalogue.Lookup("$$System dependant"), "Automatique");
    EXPECT_EQ(catalogue.Lookup("IDS_DOWNLOADING"),
              "T\xC3\xA9l\xC3\xA9"
              "chargement en cours");
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(MessageCatalogue, LookupIsExactAndGetMessageFallsBackToTheKey) {
    RecordingMessageBoxes boxes;
    CMessageCatalogue catalogue = ShippedCatalogue("fr_FR.UTF-8", boxes);
    EXPECT_EQ(catalogue.GetMessage("IDS_ERROR"), "ERREUR");
    catalogue.SetCurrentLcid(kLcidEnglish);
    EXPECT_EQ(catalogue.GetMessage("IDS_ERROR"), "ERROR");
    EXPECT_EQ(catalogue.Lookup("ids_error"), "");
    EXPECT_EQ(catalogue.Lookup("IDS_NO_SUCH_KEY"), "");
    EXPECT_EQ(catalogue.GetMessage("IDS_NO_SUCH_KEY"), "IDS_NO_SUCH_KEY");
}

TEST(MessageCatalogue, LanguageFollowsTheLocaleThroughTheMappingTable) {
    struct Case {
        const char* locale;
        const char* error;
    };
    const Case cases[] = {
        {"fr_CA.UTF-8", "ERREUR"}, {"fr_BE", "ERREUR"},    {"en_AU.UTF-8", "ERROR"},
        {"en_GB", "ERROR"},        {"C", "ERROR"},         {"de_DE.UTF-8", "IDS_ERROR"},
        {"de_CH", "IDS_ERROR"},    {"es_ES", "IDS_ERROR"}, {"fr_MC", "IDS_ERROR"},
    };
    for (const Case& c : cases) {
        RecordingMessageBoxes boxes;
        CMessageCatalogue catalogue = ShippedCatalogue(c.locale, boxes);
        EXPECT_EQ(catalogue.GetMessage("IDS_ERROR"), c.error) << c.locale;
    }
}

TEST(MessageCatalogue, LanguageSettingIsExactAndCaseSensitive) {
    RecordingMessageBoxes boxes;
    CMessageCatalogue catalogue = ShippedCatalogue("en_US", boxes);
    ApplyLanguageSetting(catalogue, "fr");
    EXPECT_EQ(catalogue.CurrentLcid(), kLcidEnglish);
    ApplyLanguageSetting(catalogue, "FR");
    EXPECT_EQ(catalogue.CurrentLcid(), kLcidFrench);
    ApplyLanguageSetting(catalogue, "");
    EXPECT_EQ(catalogue.CurrentLcid(), kLcidFrench);
    ApplyLanguageSetting(catalogue, "US");
    EXPECT_EQ(catalogue.CurrentLcid(), kLcidEnglish);
}

TEST(MessageCatalogue, AddingUnderAKnownLcidExtendsThatLanguage) {
    RecordingMessageBoxes boxes;
    CMessageCatalogue catalogue = ShippedCatalogue("en_US", boxes);
    const MessagePair extra[] = {
        {"IDS_EXTRA", "en plus"}, {"IDS_EMPTY", nullptr}, {nullptr, nullptr}};
    catalogue.AddLanguage(kLcidFrench, extra);
    EXPECT_EQ(catalogue.Languages().size(), 2u);
    EXPECT_EQ(catalogue.CurrentLcid(), kLcidEnglish);
    catalogue.SetCurrentLcid(kLcidFrench);
    EXPECT_EQ(catalogue.Lookup("IDS_EXTRA"), "en plus");
    EXPECT_EQ(catalogue.GetMessage("IDS_EMPTY"), "IDS_EMPTY");

    const MessagePair empty[] = {{nullptr, nullptr}};
    catalogue.AddLanguage(1031, empty);
    ASSERT_EQ(catalogue.Languages().size(), 3u);
    EXPECT_TRUE(catalogue.Languages().back().m_arrMessages.empty());
}

TEST(MessageCatalogue, OneMissingEnglishKeyGivesOneReport) {
    std::vector<MessagePair> english = TableOf(kEnglishMessages);
    std::erase_if(english, [](const MessagePair& p) { return std::string(p.key) == "IDS_SURE"; });
    english.push_back({nullptr, nullptr});

    setenv("LANG", "en_US", 1);
    CMessageCatalogue catalogue;
    catalogue.AddLanguage(kLcidFrench, kFrenchMessages);
    catalogue.AddLanguage(kLcidEnglish, english.data());
    RecordingMessageBoxes boxes;
    EXPECT_FALSE(catalogue.CheckMissingMessages(kLcidFrench, boxes));
    const auto shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "Missing messages in LCID Nb:1033");
    EXPECT_EQ(shown[0].text, "IDS_SURE\n");
    EXPECT_EQ(shown[0].icon, BoxIcon::Error);
    EXPECT_EQ(shown[0].owner, BoxOwner::None);
}

}  // namespace
