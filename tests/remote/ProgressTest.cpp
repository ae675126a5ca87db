#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <limits>

#include "RecordingMessageBoxes.h"
#include "i18n/MessageCatalogue.h"
#include "i18n/MessageTables.h"
#include "remote/ProgressPercent.h"
#include "remote/ProgressUnits.h"
#include "remote/TransferText.h"

using testing::ElementsAreArray;

namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

TEST(ProgressPercentTest, FollowsTheWindowRules) {
    const struct {
        int32_t position, lower, upper;
        std::optional<int> percent;
    } cases[] = {
        {500, 0, 0, std::nullopt}, {0, 0, 100, 0},        {42, 0, 100, 42},
        {100, 0, 100, 100},        {150, 0, 100, 50},     {200, 0, 100, 0},
        {4096, 0, 8192, 50},       {kMax, 0, kMax, 100},  {kMax, 0, 1, 0},
        {kMax, kMin, kMax, 100},   {kMin, kMin, kMax, 0}, {5, 5, 5, std::nullopt},
        {kMax - 1, 0, kMax, 99},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(PercentFor(test.position, test.lower, test.upper), test.percent)
            << test.position << " in " << test.lower << ".." << test.upper;
    }
    EXPECT_EQ(PercentText(0), "0%");
    EXPECT_EQ(PercentText(42), "42%");
}

TEST(ProgressPercentTest, ByteLinesCountInBothLanguagesBeyondFourGigabytes) {
    RecordingMessageBoxes boxes;
    RegisterShippedLanguages(TheCatalogue(), boxes);
    TheCatalogue().SetCurrentLcid(kLcidEnglish);
    const CByteLine english;
    EXPECT_EQ(english.Format(0, 0), "0 of 0  bytes read");
    EXPECT_EQ(english.Format(4096, 10000), "4096 of 10000  bytes read");
    EXPECT_EQ(english.Format(5000000000, 9223372036854775807),
              "5000000000 of 9223372036854775807  bytes read");
    TheCatalogue().SetCurrentLcid(kLcidFrench);
    EXPECT_EQ(CByteLine().Format(8192, 10000), "8192 octets lus sur  10000 .");
    TheCatalogue().SetCurrentLcid(kLcidEnglish);
}

// The totals stepped for `size` bytes arriving in pieces of `piece`.
std::vector<int64_t> Steps(int64_t size, size_t piece, bool emptyReadAfter) {
    std::vector<int64_t> totals;
    CProgressUnits units([&](int64_t total) {
        totals.push_back(total);
        return true;
    });
    for (int64_t sent = 0; sent < size; sent += static_cast<int64_t>(piece)) {
        units.Add(static_cast<size_t>(std::min<int64_t>(piece, size - sent)));
    }
    units.Finish(emptyReadAfter);
    return totals;
}

TEST(ProgressUnitsTest, CutsWhatArrivesIntoUnitsOfTheReadLoops) {
    const struct {
        int64_t size;
        bool emptyReadAfter;
        std::vector<int64_t> totals;
    } cases[] = {
        {0, false, {0}},
        {1000, false, {1000}},
        {8192, false, {4096, 8192, 8192}},
        {10000, false, {4096, 8192, 10000}},
        {0, true, {0}},
        {1000, true, {1000, 1000}},
        {8192, true, {4096, 8192, 8192}},
        {10000, true, {4096, 8192, 10000, 10000}},
    };
    for (const auto& test : cases) {
        for (size_t piece : {size_t{1500}, size_t{16384}}) {
            EXPECT_THAT(Steps(test.size, piece, test.emptyReadAfter), ElementsAreArray(test.totals))
                << test.size << " in pieces of " << piece;
        }
    }
}

TEST(ProgressUnitsTest, StopsAtTheUnitThatAsksTo) {
    std::vector<int64_t> totals;
    CProgressUnits units([&](int64_t total) {
        totals.push_back(total);
        return total < 8192;
    });
    EXPECT_FALSE(units.Add(size_t{5} * 4096));
    EXPECT_THAT(totals, ElementsAreArray({4096, 8192}));
}

TEST(ProgressUnitsTest, LargeSizesAreScaledForTheWindow) {
    const int64_t size = int64_t{6} << 30;  // 6 GB
    const int shift = ProgressShift(size);
    EXPECT_EQ(ProgressShift(8192), 0);
    EXPECT_LE(size >> shift, kMax);
    EXPECT_EQ(PercentFor(ToWindowValue(size / 4, shift), 0, ToWindowValue(size, shift)), 25);
    EXPECT_EQ(PercentFor(ToWindowValue(size, shift), 0, ToWindowValue(size, shift)), 100);
}

}  // namespace
