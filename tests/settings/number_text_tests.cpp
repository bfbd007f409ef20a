#include "settings/number_text.h"

#include <gtest/gtest.h>

namespace vexaframe {
namespace {

TEST(NumberText, ConvertsDecimalTextsWithEitherRounding) {
    struct Case {
        const char* text;
        std::optional<std::int16_t> floor, halfToEven;
    };
    const Case cases[] = {
        {"1", 1, 1},           {" 1", 1, 1},         {"  7\t ", 7, 7},
        {"1.9", 1, 2},         {"12.5", 12, 12},     {"13.5", 13, 14},
        {"-1.5", -2, -2},      {"-2.5", -3, -2},     {"-0.1", -1, 0},
        {"+4", 4, 4},          {".5", 0, 0},         {"5.", 5, 5},
        {"2.50000001", 2, 3},  {"0.4999999", 0, 0},  {"32767", 32767, 32767},
        {"-32768", -32768, -32768},
        {"32767.5", 32767, std::nullopt},  // rounds up out of range
        {"-32768.5", std::nullopt, -32768},
        {"32768", std::nullopt, std::nullopt},
        {"99999999999999999999999", std::nullopt, std::nullopt},
        {"abc", std::nullopt, std::nullopt},
        {"1e2", std::nullopt, std::nullopt},
        {"&H10", std::nullopt, std::nullopt},
        {"1,000", std::nullopt, std::nullopt},
        {"1 2", std::nullopt, std::nullopt},
        {"--1", std::nullopt, std::nullopt},
        {".", std::nullopt, std::nullopt},
        {"-", std::nullopt, std::nullopt},
        {"", std::nullopt, std::nullopt},
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

TEST(NumberText, ReadsTheNumberAtTheStartAndSaysHowMuchItTook) {
    const std::optional<LeadingNumber> read = ReadLeadingNumber("-12.5x7", Rounding::HalfToEven);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->value, -12);
    EXPECT_EQ(read->length, 5u);
    EXPECT_EQ(ReadLeadingNumber(std::string(200, '9'), Rounding::Floor)->value, std::int64_t{1} << 40);
    EXPECT_FALSE(ReadLeadingNumber("x12", Rounding::Floor));
    EXPECT_FALSE(ReadLeadingNumber("-.", Rounding::Floor));
}

}  // namespace
}  // namespace vexaframe
