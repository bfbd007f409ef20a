#include "settings/number_text.h"

#include <gtest/gtest.h>

namespace vexaframe {
namespace {

TEST(NumberText, ConvertsDecimalTextsWithEitherRounding) {
    struct Case {
        const char* text;
        std::optional<std::int16_t> floor, halfToEven;
    };
    constexpr std::nullopt_t kNone = std::nullopt;
    const Case cases[] = {
        {"1", 1, 1},           {" 1", 1, 1},         {"  7\t ", 7, 7},
        {"1.9", 1, 2},         {"12.5", 12, 12},     {"13.5", 13, 14},
        {"-1.5", -2, -2},      {"-2.5", -3, -2},     {"-0.1", -1, 0},
        {"+4", 4, 4},          {".5", 0, 0},         {"5.", 5, 5},
        {"2.50000001", 2, 3},  {"0.4999999", 0, 0},  {"32767", 32767, 32767},
        {"-32768", -32768, -32768},
        {"32767.5", 32767, kNone},  // rounds up out of range
        {"-32768.5", kNone, -32768},
        {"32768", kNone, kNone},  {"99999999999999999999999", kNone, kNone},
        {"abc", kNone, kNone},    {"1e2", kNone, kNone},    {"&H10", kNone, kNone},
        {"1,000", kNone, kNone},  {"1 2", kNone, kNone},    {"--1", kNone, kNone},
        {".", kNone, kNone},      {"-", kNone, kNone},      {"", kNone, kNone},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NumberFromText(c.text, Rounding::Floor), c.floor) << c.text;
        EXPECT_EQ(NumberFromText(c.text, Rounding::HalfToEven), c.halfToEven) << c.text;
    }
}

TEST(NumberText, WritesABlankWhereTheSignWouldStand) {
    EXPECT_EQ(NumberText(1), " 1");
    EXPECT_EQ(NumberText(10), " 10");
    EXPECT_EQ(NumberText(0), " 0");
    EXPECT_EQ(NumberText(-1), "-1");
    EXPECT_EQ(NumberText(-32768), "-32768");
}

}  // namespace
}  // namespace vexaframe
