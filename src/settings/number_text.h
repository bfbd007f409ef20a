#pragma once
// Numbers in the settings file: how texts become 16-bit values and values become texts.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vexaframe {

enum class Rounding {
    Floor,       // the largest whole number not above
    HalfToEven,  // the nearest whole number, halves to the even one
};

// A decimal number with optional blanks around it, a sign and a fraction, brought to a
// whole number; nothing when the text is no such number or the result does not fit 16 bits.
std::optional<std::int16_t> NumberFromText(std::string_view text, Rounding rounding);

// " 1", " 10", "-1": a blank stands where a negative number has its sign.
std::string NumberText(std::int16_t value);

}  // namespace vexaframe
