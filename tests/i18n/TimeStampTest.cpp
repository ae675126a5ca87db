#include "i18n/TimeStamp.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <ctime>

namespace {

class TimeStampTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TZ", "Europe/Paris", 1);
        tzset();
    }
};

TEST_F(TimeStampTest, FrenchConventionsInLocalTime) {
    // 2002-02-10 09:16:00 UTC is 10:16:00 in Paris.
    EXPECT_EQ(FormatTimeStamp(1013332560), "10/02/2002 10:16:00");
    EXPECT_EQ(FormatTimeStamp(0), "01/01/1970 01:00:00");
    EXPECT_EQ(FormatTimeStamp(2147483647), "19/01/2038 04:14:07");
    EXPECT_EQ(FormatTimeStamp(2240000000), "24/12/2040 23:13:20");
}

TEST_F(TimeStampTest, TimesWithoutLocalTimeGiveOneBlank) {
    EXPECT_EQ(FormatTimeStamp(-1), " ");
    EXPECT_EQ(FormatTimeStamp(-2147483647 - 1), " ");
}

TEST_F(TimeStampTest, ProcessLocaleIsLeftAlone) {
    ASSERT_NE(std::setlocale(LC_TIME, "C"), nullptr);
    FormatTimeStamp(1013332560);
    EXPECT_STREQ(std::setlocale(LC_TIME, nullptr), "C");
}

}  // namespace
