#include <gtest/gtest.h>

#include "platform/wildcard.h"

namespace vexaframe {
namespace {

TEST(WildcardMatch, StarMatchesAnyRunAndLettersIgnoreAsciiCase) {
    EXPECT_TRUE(WildcardMatch("*.bmp", "a.bmp"));
    EXPECT_TRUE(WildcardMatch("*.jpg", "PHOTO.JPG"));
    EXPECT_TRUE(WildcardMatch("*.bmp", ".bmp"));
    EXPECT_TRUE(WildcardMatch("*.bmp", "x.bmp.bmp"));
    EXPECT_FALSE(WildcardMatch("*.bmp", "a.bmpx"));
    EXPECT_FALSE(WildcardMatch("*.bmp", "abmp"));
    EXPECT_TRUE(WildcardMatch("*", ""));
    EXPECT_TRUE(WildcardMatch("*.*", "."));
    EXPECT_TRUE(WildcardMatch("*ab*cd", "xxabyabzcd"));
    EXPECT_FALSE(WildcardMatch("a*b*c", "abbbbbbbbbbbbbbbbbbbbb"));
    EXPECT_FALSE(WildcardMatch("", "a"));
}

TEST(WildcardMatch, QuestionMarkTakesOneWholeUtf8Character) {
    EXPECT_TRUE(WildcardMatch("?.bmp", "\xC3\xA9.bmp"));          // é
    EXPECT_TRUE(WildcardMatch("?.bmp", "\xF0\x9F\x98\x80.bmp"));  // an emoji
    EXPECT_FALSE(WildcardMatch("??.bmp", "\xC3\xA9.bmp"));
    EXPECT_FALSE(WildcardMatch("?", ""));
    EXPECT_TRUE(WildcardMatch("*?", "\xC3\xA9"));
    EXPECT_TRUE(WildcardMatch("\xE5\x86\x99*.jpg", "\xE5\x86\x99\xE7\x9C\x9F.JPG"));  // 写真
}

}  // namespace
}  // namespace vexaframe
