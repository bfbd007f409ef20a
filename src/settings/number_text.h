#pragma once
// Numbers written as text, in the settings file and on the command line: how texts become
// whole values and values become texts.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vexaframe {

enum class Rounding {
    Floor,       // the largest whole number not above
    HalfToEven,  // the nearest whole number, halves to the even one
};

// The decimal number at the start of the text (an optional sign, digits, an optional
// fraction) brought to a whole number. Magnitudes past 2^40 are held there before rounding, so that
// any length of digits stays in range. Nothing when the text starts with no digit.
struct LeadingNumber {
    std::int64_t value;
    std::size_t length;  // characters of the text the number took
};
std::optional<LeadingNumber> ReadLeadingNumber(std::string_view text, Rounding rounding);

// A decimal number with optional blanks around it, a sign and a fraction, brought to a
// whole number; nothing when the text is no such number or the result does not fit 16 bits.
std::optional<std::int16_t> NumberFromText(std::string_view text, Rounding rounding);

// " 1", " 10", "-1": a blank stands where a negative number has its sign.
std::string NumberText(std::int16_t value);

}  // namespace vexaframe
