#include "platform/wildcard.h"

#include <cstddef>

namespace vexaframe {
namespace {

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Steps over one whole UTF-8 character, so that "?" never splits one.
std::size_t NextCharacter(std::string_view text, std::size_t at) {
    ++at;
    while (at < text.size() && IsContinuationByte(text[at])) ++at;
    return at;
}

// "*" and then plain characters, as every picture kind's pattern is: the name's end, compared at
// once instead of at every place the star could end.
bool IsStarThenPlain(std::string_view pattern) {
    return pattern.size() >= 2 && pattern[0] == '*' && !IsContinuationByte(pattern[1]) &&
           pattern.find_first_of("*?", 1) == std::string_view::npos;
}

bool EndsWithPlain(std::string_view name, std::string_view plain) {
    if (name.size() < plain.size()) return false;
    const std::string_view end = name.substr(name.size() - plain.size());
    for (std::size_t i = 0; i < plain.size(); ++i) {
        if (AsciiLower(plain[i]) != AsciiLower(end[i])) return false;
    }
    return true;
}

}  // namespace

bool WildcardMatch(std::string_view pattern, std::string_view name) {
    if (IsStarThenPlain(pattern)) return EndsWithPlain(name, pattern.substr(1));
    std::size_t p = 0;
    std::size_t n = 0;
    // Where to resume after the last "*": one character further into the name each time.
    std::size_t starPattern = std::string_view::npos;
    std::size_t starName = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starPattern = ++p;
            starName = n;
        } else if (p < pattern.size() && pattern[p] == '?') {
            ++p;
            n = NextCharacter(name, n);
        } else if (p < pattern.size() && AsciiLower(pattern[p]) == AsciiLower(name[n])) {
            ++p;
            ++n;
        } else if (starPattern != std::string_view::npos) {
            p = starPattern;
            starName = NextCharacter(name, starName);
            n = starName;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace vexaframe
