#include <gtest/gtest.h>

#include "remote/FtpListing.h"

namespace {

constexpr int64_t kFifthMarch2024 = 1709633472;  // 05/03/2024 10:11:12 UTC

TEST(FtpListing, MlsdFactsGiveExactTimeTypeAndReadability) {
    const std::string listing =
        "modify=20240305101112;perm=adfr;size=6;type=file; summer.txt\r\n"
        "modify=20240305101112;perm=fle;type=dir; folder\r\n"
        "modify=20240305101112.250;perm=adf;size=9;type=file; secret.txt\r\n";
    const auto file = FindInMlsd(listing, "summer.txt");
    ASSERT_TRUE(file);
    EXPECT_TRUE(file->isFile);
    EXPECT_TRUE(file->readable);
    EXPECT_EQ(file->time, kFifthMarch2024);
    EXPECT_EQ(file->size, 6);
    EXPECT_FALSE(FindInMlsd(listing, "folder")->isFile);
    EXPECT_FALSE(FindInMlsd(listing, "secret.txt")->readable);
    EXPECT_EQ(FindInMlsd(listing, "secret.txt")->time, kFifthMarch2024);
    EXPECT_FALSE(FindInMlsd(listing, "summer"));
}

TEST(FtpListing, ListLinesGiveMinutesAndTheYearOfRecentFiles) {
    const std::string listing =
        "-rw-r--r--   1 0        0               6 Mar  5  2024 summer.txt\r\n"
        "-rw-r--r--   1 0        0              12 Dec  1 10:11 two words.txt\r\n"
        "drwxr-xr-x   2 0        0            4096 Dec 25 10:00 folder\r\n";
    const int64_t now = 1796644800;                                       // 07/12/2026 12:00:00 UTC
    EXPECT_EQ(FindInList(listing, "summer.txt", now)->time, 1709596800);  // the day, 00:00
    const auto recent = FindInList(listing, "two words.txt", now);
    ASSERT_TRUE(recent);
    EXPECT_EQ(recent->time, 1796119860);  // 01/12/2026 10:11 UTC
    EXPECT_EQ(recent->size, 12);
    // December 25th at 10:00 would be in the future this year: it was last year's.
    const auto folder = FindInList(listing, "folder", now);
    EXPECT_FALSE(folder->isFile);
    EXPECT_EQ(folder->time, 1766656800);  // 25/12/2025 10:00 UTC
    EXPECT_FALSE(FindInList(listing, "absent.txt", now));
}

// A listing is the server's word: numbers too large to hold, or none at all, read as nothing
// known rather than as whatever the overflow makes of them.
TEST(FtpListing, NonsenseNumbersReadAsNothingKnown) {
    const std::string mlsd =
        "modify=2024x305101112;size=99999999999999999999999;type=file; odd.txt\r\n";
    const auto odd = FindInMlsd(mlsd, "odd.txt");
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->time, -1);
    EXPECT_EQ(odd->size, 0);

    const std::string list =
        "-rw-r--r-- 1 0 0 99999999999999999999999 Mar 5 99999999999:1 huge.txt\r\n"
        "-rw-r--r-- 1 0 0 7 Mar 5 10: colon.txt\r\n";
    const int64_t now = 1796644800;
    const auto huge = FindInList(list, "huge.txt", now);
    ASSERT_TRUE(huge);
    EXPECT_EQ(huge->size, 0);
    EXPECT_EQ(huge->time, -1);
    EXPECT_EQ(FindInList(list, "colon.txt", now)->time, -1);
}

}  // namespace
