#include "settings/number_text.h"

#include <algorithm>

namespace vexaframe {

namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kDigits = "0123456789";

std::string_view TrimBlanks(std::string_view text) {
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

std::string_view LeadingDigits(std::string_view text) {
    return text.substr(0, std::min(text.find_first_not_of(kDigits), text.size()));
}

enum class Fraction { Zero, BelowHalf, Half, AboveHalf };

Fraction ClassifyFraction(std::string_view digits) {
    if (digits.find_first_not_of('0') == std::string_view::npos) return Fraction::Zero;
    if (digits.front() < '5') return Fraction::BelowHalf;
    if (digits.front() > '5') return Fraction::AboveHalf;
    const bool moreThanFive = digits.find_first_not_of('0', 1) != std::string_view::npos;
    return moreThanFive ? Fraction::AboveHalf : Fraction::Half;
}

std::int64_t WholeValue(std::string_view digits) {
    constexpr std::int64_t kBound = std::int64_t{1} << 40;
    std::int64_t value = 0;
    for (char digit : digits) value = std::min(value * 10 + (digit - '0'), kBound);
    return value;
}

std::int64_t RoundMagnitude(std::int64_t whole, Fraction fraction, bool negative,
                            Rounding rounding) {
    if (fraction == Fraction::Zero) return whole;
    if (rounding == Rounding::Floor) return negative ? whole + 1 : whole;
    if (fraction == Fraction::AboveHalf) return whole + 1;
    if (fraction == Fraction::Half) return whole % 2 == 1 ? whole + 1 : whole;
    return whole;
}

}  // namespace

std::optional<LeadingNumber> ReadLeadingNumber(std::string_view text, Rounding rounding) {
    const bool hasSign = !text.empty() && (text.front() == '-' || text.front() == '+');
    const bool negative = hasSign && text.front() == '-';
    const std::string_view whole = LeadingDigits(text.substr(hasSign ? 1 : 0));
    std::size_t length = (hasSign ? 1 : 0) + whole.size();
    std::string_view fraction;
    if (length < text.size() && text[length] == '.') {
        fraction = LeadingDigits(text.substr(length + 1));
        length += 1 + fraction.size();
    }
    if (whole.empty() && fraction.empty()) return std::nullopt;
    const std::int64_t magnitude = RoundMagnitude(
        WholeValue(whole), fraction.empty() ? Fraction::Zero : ClassifyFraction(fraction),
        negative, rounding);
    return LeadingNumber{negative ? -magnitude : magnitude, length};
}

std::optional<std::int16_t> NumberFromText(std::string_view text, Rounding rounding) {
    const std::string_view number = TrimBlanks(text);
    const std::optional<LeadingNumber> read = ReadLeadingNumber(number, rounding);
    if (!read || read->length != number.size()) return std::nullopt;
    if (read->value < INT16_MIN || read->value > INT16_MAX) return std::nullopt;
    return static_cast<std::int16_t>(read->value);
}

std::string NumberText(std::int16_t value) {
    return (value < 0 ? "" : " ") + std::to_string(value);
}

}  // namespace vexaframe
