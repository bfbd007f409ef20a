#include "settings/profile_file.h"

#include <gtest/gtest.h>

namespace vexaframe {
namespace {

TEST(ProfileFile, FindsValuesAsTheProfileFunctionsDo) {
    struct Case {
        std::string text, section, key;
        std::optional<std::string> value;
    };
    const Case cases[] = {
        {"[Section]\r\nkey=1\r\n", "Section", "key", "1"},
        {"[section]\nKEY=2", "SECTION", "key", "2"},
        {"  [ Section ]  \r\n  key  =  a b  \r\n", " Section ", " key ", "a b"},
        {"[S]\rk=\"quoted \"\r", "S", "k", "quoted "},
        {"[S]\nk='x\"\n", "S", "k", "'x\""},
        {"[S]\nk\n", "S", "k", std::nullopt},                  // no "=": no value
        {"[S]\nk=\n", "S", "k", ""},
        {"[S]\na=1\n[S]\nk=2\n", "S", "k", std::nullopt},      // only the first [S] counts
        {"[S]\nk=1\nk=2\n", "S", "k", "1"},
        {"[T]\nk=1\n[S]\nj=2\n", "S", "k", std::nullopt},
        {"k=1\n[S]\n", "S", "k", std::nullopt},
        {"[S]junk\nk=a=b\n", "S", "k", "a=b"},
        {"[S]\nk=x\0y\n", "S", "k", "x"},
        {"[\x83\x41]\nk=1\n", "\x83\x61", "k", std::nullopt},  // second bytes are not letters
        {"[\x83]\nk=1\n", "\x83", "k", std::nullopt},          // "]" as a second byte
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FindProfileValue(c.text, c.section, c.key), c.value)
            << ::testing::PrintToString(c.text) << " " << c.key;
    }
}

TEST(ProfileFile, WritingChangesOnlyTheKeysLine) {
    const std::string before = "; settings\n\n  [Section]\n  other = kept \n key = old\n\n[T]\n";
    EXPECT_EQ(WithProfileValue(before, "section", "KEY", " 5"),
              "; settings\n\n  [Section]\n  other = kept \nkey= 5\n\n[T]\n");
}

TEST(ProfileFile, AddsKeysAtTheEndOfTheSectionAndSectionsAtTheEnd) {
    EXPECT_EQ(WithProfileValue("[S]\r\na=1\r\n\r\n[T]\r\n", "S", "b", "2"),
              "[S]\r\na=1\r\nb=2\r\n\r\n[T]\r\n");
    EXPECT_EQ(WithProfileValue("[S]\r\na=1", "S", "b", "2"), "[S]\r\na=1\r\nb=2\r\n");
    EXPECT_EQ(WithProfileValue("[S]\na=1", "T", "b", "2"), "[S]\na=1\r\n[T]\r\nb=2\r\n");
    EXPECT_EQ(WithProfileValue("", " S ", " b ", "2"), "[S]\r\nb=2\r\n");
}

TEST(ProfileFile, WritingAValueThatReadsTheSameLeavesTheFileAlone) {
    const std::string before = "[S]\n  a =  1 \n";
    EXPECT_EQ(WithProfileValue(before, "S", "a", " 1"), before);
}

TEST(ProfileFile, SurvivesHostileText) {
    std::string junk;
    for (int i = 0; i < 100000; ++i) junk += static_cast<char>((i * 7919) % 256);
    EXPECT_NO_THROW(FindProfileValue(junk, "Section", "k"));
    const std::string written = WithProfileValue(junk, "Section", "k", "v");
    EXPECT_EQ(FindProfileValue(written, "Section", "k"), "v");

    const std::string longLine = "[Section]\nk=" + std::string(100000, 'x');
    EXPECT_EQ(FindProfileValue(longLine, "Section", "k")->size(), 100000u);
}

}  // namespace
}  // namespace vexaframe
