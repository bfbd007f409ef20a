#include "settings/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace vexaframe {
namespace {

TEST(ArgumentTextOf, DropsTheProgramNameAndTheBlanksAfterIt) {
    const struct {
        std::string_view commandLine;
        std::string_view argumentText;
    } cases[] = {
        {"C:\\Savers\\Vexaframe.scr /s", "/s"},
        {"\"C:\\Program Files\\Vexaframe.scr\" /p 1234", "/p 1234"},
        {"\"C:\\Program Files\\Vexaframe.scr\"/c:5678", "/c:5678"},
        {"Vexaframe.scr \t  /a  1234  ", "/a  1234  "},
        {"Vexaframe.scr", ""},
        {"\"C:\\Program Files\\Vexaframe.scr\"", ""},
        {"\"C:\\Program Files\\Vexaframe.scr /s", ""},  // unclosed quote: all of it is the name
        {"C:\\画像\\Vexaframe.scr /s", "/s"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ArgumentTextOf(c.commandLine), c.argumentText) << c.commandLine;
    }
}

// The ASCII switches are covered with start-up's tests; here what bytes would get wrong.
TEST(ModeLetter, CountsCharactersNotBytes) {
    EXPECT_EQ(ModeLetter("ｰs"), "S");
    EXPECT_EQ(ModeLetter("/ｓ"), "ｓ");
    EXPECT_EQ(ModeLetter("ｓ"), "");
    EXPECT_EQ(WindowHandleFromArgument("/pé12"), 12);
}

// The number after the switch, rounded half to even, in 32 bits of either sign; 0 without one.
TEST(WindowHandleFromArgument, ReadsTheLeadingNumberAfterBlanksAsThirtyTwoBits) {
    EXPECT_EQ(WindowHandleFromArgument("/p    1234 5"), 1234);
    EXPECT_EQ(WindowHandleFromArgument("/p \t77x"), 77);
    EXPECT_EQ(WindowHandleFromArgument("/p 12.5"), 12);
    EXPECT_EQ(WindowHandleFromArgument("/p 13.5"), 14);
    EXPECT_EQ(WindowHandleFromArgument("/p -2147483648"), -2147483647 - 1);
    EXPECT_EQ(WindowHandleFromArgument("/p 4294967295"), -1);
    for (const std::string text : {"/p 4294967296", "/p -2147483649", "/a", "/a   ", "/a xyz",
                                   "/a -", "/a .", "/a ５", ""}) {
        EXPECT_EQ(WindowHandleFromArgument(text), 0) << text;
    }
    EXPECT_EQ(WindowHandleFromArgument("/p 1" + std::string(400, '0')), 0);
}

}  // namespace
}  // namespace vexaframe
