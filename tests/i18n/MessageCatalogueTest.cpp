#include "i18n/MessageCatalogue.h"
#include "i18n/MessageTables.h"

#include "RecordingMessageBoxes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
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

// The conversions of a printf format, in order ("%d", "%s"); "%%" is a plain percent sign.
std::string ConversionsOf(const std::string& format) {
    std::string conversions;
    for (size_t at = format.find('%'); at != std::string::npos; at = format.find('%', at + 2)) {
        if (at + 1 < format.size() && format[at + 1] != '%') {
            conversions += format.substr(at, 2);
        }
    }
    return conversions;
}

// Whatever key the program asks for, either language answers with a text of its own: a
// key missing from one table would show the user the bare key. Each key is there once, so
// that no entry is hidden behind an earlier one.
TEST(MessageTables, EveryKeyHasOneTextInEachLanguage) {
    RecordingMessageBoxes boxes;
    CMessageCatalogue catalogue = ShippedCatalogue("en_US.UTF-8", boxes);
    EXPECT_TRUE(boxes.Boxes().empty()) << "no missing-messages report at start-up";
    for (const MessagePair* table : {kFrenchMessages, kEnglishMessages}) {
        std::set<std::string> seen;
        for (const MessagePair& pair : TableOf(table)) {
            EXPECT_TRUE(seen.insert(pair.key).second) << "twice: " << pair.key;
            for (const uint32_t lcid : {kLcidFrench, kLcidEnglish}) {
                catalogue.SetCurrentLcid(lcid);
                EXPECT_NE(catalogue.Lookup(pair.key), "") << pair.key << " in " << lcid;
            }
        }
    }
}

// A text is a printf format where the program fills in a number or a name: a translation
// that asks for other arguments than the program passes would print garbage or crash.
TEST(MessageTables, TranslationsTakeTheSameArguments) {
    RecordingMessageBoxes boxes;
    CMessageCatalogue catalogue = ShippedCatalogue("en_US.UTF-8", boxes);
    const CLanguage& french = *catalogue.FindLanguage(kLcidFrench);
    const CLanguage& english = *catalogue.FindLanguage(kLcidEnglish);
    int formats = 0;
    for (const CMessage& message : english.m_arrMessages) {
        const std::string translation = french.Lookup(message.m_strKey);
        const std::string conversions = ConversionsOf(message.m_strText);
        EXPECT_EQ(ConversionsOf(translation), conversions) << message.m_strKey;
        EXPECT_EQ(conversions.find_first_not_of("%ds"), std::string::npos) << message.m_strKey;
        formats += conversions.empty() ? 0 : 1;
    }
    EXPECT_GT(formats, 10);
    EXPECT_EQ(ConversionsOf("%d of %d  bytes read"), "%d%d");
    EXPECT_EQ(ConversionsOf("100%% of %s"), "%s");
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
