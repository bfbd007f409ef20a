#include "settings/number_text.h"

#include <algorithm>
#include <cstdint>

namespace vexaframe {

namespace {

std::string_view TrimBlanks(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

enum class Fraction { Zero, BelowHalf, Half, AboveHalf };

Fraction ClassifyFraction(std::string_view digits) {
    if (digits.find_first_not_of('0') == std::string_view::npos) return Fraction::Zero;
    if (digits.front() < '5') return Fraction::BelowHalf;
    if (digits.front() > '5') return Fraction::AboveHalf;
    const bool moreThanFive = digits.find_first_not_of('0', 1) != std::string_view::npos;
    return moreThanFive ? Fraction::AboveHalf : Fraction::Half;
}

// The whole part's value, held at a bound past any 16-bit value so long texts cannot overflow.
long WholeValue(std::string_view digits) {
    constexpr long kPastAnyValue = 100000;
    long value = 0;
    for (char digit : digits) value = std::min(value * 10 + (digit - '0'), kPastAnyValue);
    return value;
}

long RoundMagnitude(long whole, Fraction fraction, bool negative, Rounding rounding) {
    if (fraction == Fraction::Zero) return whole;
    if (rounding == Rounding::Floor) return negative ? whole + 1 : whole;
    if (fraction == Fraction::AboveHalf) return whole + 1;
    if (fraction == Fraction::Half) return whole % 2 == 1 ? whole + 1 : whole;
    return whole;
}

}  // namespace

std::optional<std::int16_t> NumberFromText(std::string_view text, Rounding rounding) {
    std::string_view number = TrimBlanks(text);
    const bool negative = !number.empty() && number.front() == '-';
    if (!number.empty() && (number.front() == '-' || number.front() == '+')) number.remove_prefix(1);

    const size_t point = number.find('.');
    const std::string_view whole = number.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : number.substr(point + 1);
    const auto allDigits = [](std::string_view digits) {
        return digits.find_first_not_of("0123456789") == std::string_view::npos;
    };
    if (whole.empty() && fraction.empty()) return std::nullopt;
    if (!allDigits(whole) || !allDigits(fraction)) return std::nullopt;

    const long magnitude = RoundMagnitude(
        WholeValue(whole), fraction.empty() ? Fraction::Zero : ClassifyFraction(fraction),
        negative, rounding);
    const long value = negative ? -magnitude : magnitude;
    if (value < INT16_MIN || value > INT16_MAX) return std::nullopt;
    return static_cast<std::int16_t>(value);
}

std::string NumberText(std::int16_t value) {
    return (value < 0 ? "" : " ") + std::to_string(value);
}

}  // namespace vexaframe
