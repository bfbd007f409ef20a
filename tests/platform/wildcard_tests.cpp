#include <gtest/gtest.h>

#include "platform/wildcard.h"

namespace vexaframe {
namespace {

TEST(WildcardMatch, StarTakesAnyRunQuestionMarkOneUtf8CharacterAndAsciiCaseIsIgnored) {
    const struct {
        const char* pattern;
        const char* name;
        bool matches;
    } cases[] = {
        {"*.bmp", "a.bmp", true},
        {"*.jpg", "PHOTO.JPG", true},
        {"*.bmp", ".bmp", true},
        {"*.bmp", "x.bmp.bmp", true},
        {"*.bmp", "a.bmpx", false},
        {"*.bmp", "abmp", false},
        {"*", "", true},
        {"*.*", ".", true},
        {"*ab*cd", "xxabyabzcd", true},
        {"a*b*c", "abbbbbbbbbbbbbbbbbbbbb", false},
        {"", "a", false},
        {"?", "", false},
        {"?.bmp", "\xC3\xA9.bmp", true},          // é
        {"?.bmp", "\xF0\x9F\x98\x80.bmp", true},  // an emoji
        {"??.bmp", "\xC3\xA9.bmp", false},
        {"*?", "\xC3\xA9", true},
        {"\xE5\x86\x99*.jpg", "\xE5\x86\x99\xE7\x9C\x9F.JPG", true},  // 写真
    };
    for (const auto& c : cases)
        EXPECT_EQ(WildcardMatch(c.pattern, c.name), c.matches) << c.pattern << " on " << c.name;
}

}  // namespace
}  // namespace vexaframe
