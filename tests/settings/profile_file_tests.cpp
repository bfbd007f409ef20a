#include "settings/profile_file.h"

#include <gtest/gtest.h>

namespace vexaframe {
namespace {

// Reading is checked against the system's own profile functions under Wine; Wine's reading
// is no guide where a "]" is the second byte of a Shift-JIS character, which ends no section.
TEST(ProfileFile, ABracketInsideACharacterClosesNoSection) {
    EXPECT_EQ(FindProfileValue("[\x83]\nk=1\n", "\x83", "k"), std::nullopt);
    EXPECT_EQ(FindProfileValue("[\x83]]\nk=1\n", "\x83]", "k"), "1");  // one after it does
}

// Only the key's line changes, or the key goes at the end of its section, or the section at
// the end of the file; a value that reads the same already leaves the file alone.
TEST(ProfileFile, WritesAsLittleAsItCan) {
    struct Case {
        std::string before, section, key, value, after;
    };
    const Case cases[] = {
        {"; settings\n\n  [Section]\n  other = kept \n key = old\n\n[T]\n", "section", "KEY", " 5",
         "; settings\n\n  [Section]\n  other = kept \nkey= 5\n\n[T]\n"},
        {"[S]\n  a =  1 \n", "S", "a", " 1", "[S]\n  a =  1 \n"},
        {"[S]\r\na=1\r\n\r\n[T]\r\n", "S", "b", "2", "[S]\r\na=1\r\nb=2\r\n\r\n[T]\r\n"},
        {"[S]\r\na=1", "S", "b", "2", "[S]\r\na=1\r\nb=2\r\n"},
        {"[S]\na=1", "T", "b", "2", "[S]\na=1\r\n[T]\r\nb=2\r\n"},
        {"", " S ", " b ", "2", "[S]\r\nb=2\r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WithProfileValue(c.before, c.section, c.key, c.value), c.after)
            << ::testing::PrintToString(c.before);
    }
}

// Hostile text in general is the profile_file fuzz target's, whose inputs stay within a few
// kilobytes.
TEST(ProfileFile, ReadsAHundredThousandByteValue) {
    const std::string longLine = "[Section]\nk=" + std::string(100000, 'x');
    EXPECT_EQ(FindProfileValue(longLine, "Section", "k")->size(), 100000u);
}

}  // namespace
}  // namespace vexaframe
