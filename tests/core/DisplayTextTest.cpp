#include "core/DisplayText.h"

#include <gtest/gtest.h>

namespace {

TEST(DisplayText, KeepsUtf8AndReadsAnythingElseAsWindows1252) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain", "plain"},
        {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
        {"caf\xE9", "caf\xC3\xA9"},
        {"\x80\x9F\x81", "\xE2\x82\xAC\xC5\xB8\xC2\x81"},
        {"\xC0\xAF", "\xC3\x80\xC2\xAF"},                                  // overlong '/'
        {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},                  // a surrogate
        {"\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xE2\x82\xAC\xE2\x82\xAC"},  // past U+10FFFF
        {"\xC3", "\xC3\x83"},                                              // cut short
    };
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(DisplayText(bytes), text) << bytes;
        EXPECT_TRUE(IsValidUtf8(DisplayText(bytes)));
    }
}

}  // namespace
