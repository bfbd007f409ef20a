#include <gtest/gtest.h>

#include "platform/wildcard.h"

namespace vexaframe {
namespace {

// The wildcard fuzz target holds the matcher to a plain table of matching prefixes; these are
// the cases to read.
TEST(WildcardMatch, StarTakesAnyRunAndQuestionMarkOneWholeUtf8Character) {
    EXPECT_TRUE(WildcardMatch("*.bmp", ".bmp"));
    EXPECT_TRUE(WildcardMatch("*.BMP", "x.bmp.bmp"));
    EXPECT_FALSE(WildcardMatch("*.bmp", "a.bmpx"));
    EXPECT_TRUE(WildcardMatch("*", ""));
    EXPECT_FALSE(WildcardMatch("", "a"));
    EXPECT_FALSE(WildcardMatch("a*b*c", "abbbbbbbbbbbbbbbbbbbbb"));
    EXPECT_TRUE(WildcardMatch("?.bmp", "\xC3\xA9.bmp"));          // é
    EXPECT_TRUE(WildcardMatch("?.bmp", "\xF0\x9F\x98\x80.bmp"));  // an emoji
    EXPECT_FALSE(WildcardMatch("??.bmp", "\xC3\xA9.bmp"));
    EXPECT_TRUE(WildcardMatch("*?", "\xC3\xA9"));
    // A star before plain characters, as the kinds' patterns are, ends only between characters.
    EXPECT_TRUE(WildcardMatch("*.JPG", "\xE5\x86\x99.jpg"));
    EXPECT_FALSE(WildcardMatch("*\xA9", "\xC3\xA9"));
    EXPECT_FALSE(WildcardMatch("*.jpeg", "jpeg"));
}

}  // namespace
}  // namespace vexaframe
