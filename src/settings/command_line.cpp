#include "settings/command_line.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "settings/number_text.h"

namespace vexaframe {
namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view WithoutLeadingBlanks(std::string_view text) {
    return text.substr(std::min(text.find_first_not_of(kBlanks), text.size()));
}

// Byte offset of the character numbered `index` (from 0) of UTF-8 text; the text's size
// when it has fewer characters. Positions on the command line count characters, not bytes.
std::size_t OffsetOfCharacter(std::string_view utf8, std::size_t index) {
    const auto isContinuation = [](char byte) { return (byte & 0xC0) == 0x80; };
    std::size_t offset = 0;
    for (std::size_t seen = 0; offset < utf8.size(); ++seen) {
        if (seen == index) return offset;
        ++offset;
        while (offset < utf8.size() && isContinuation(utf8[offset])) ++offset;
    }
    return utf8.size();
}

}  // namespace

std::string ArgumentTextOf(std::string_view commandLine) {
    // Windows' own rule for the program's name: up to the closing quote when it starts
    // with one, up to the first blank otherwise.
    const bool quoted = commandLine.starts_with('"');
    const std::size_t nameEnd =
        quoted ? commandLine.find('"', 1) : commandLine.find_first_of(kBlanks);
    if (nameEnd == std::string_view::npos) return {};
    const std::size_t afterName = quoted ? nameEnd + 1 : nameEnd;
    return std::string(WithoutLeadingBlanks(commandLine.substr(afterName)));
}

std::string ModeLetter(std::string_view argumentText) {
    const std::size_t start = OffsetOfCharacter(argumentText, 1);
    const std::size_t end = OffsetOfCharacter(argumentText, 2);
    std::string letter(argumentText.substr(start, end - start));
    if (letter.size() == 1 && letter[0] >= 'a' && letter[0] <= 'z') letter[0] -= 'a' - 'A';
    return letter;
}

std::int32_t WindowHandleFromArgument(std::string_view argumentText) {
    const std::string_view text = argumentText.substr(OffsetOfCharacter(argumentText, 3));
    const std::optional<LeadingNumber> number =
        ReadLeadingNumber(WithoutLeadingBlanks(text), Rounding::HalfToEven);
    // Handles are 32 bits wide: the unsigned spelling of a high handle means the same bits.
    constexpr std::int64_t lowest = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t highest = std::numeric_limits<std::uint32_t>::max();
    if (!number || number->value < lowest || number->value > highest) return 0;
    return static_cast<std::int32_t>(number->value);
}

}  // namespace vexaframe
