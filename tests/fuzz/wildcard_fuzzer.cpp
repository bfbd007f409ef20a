// Any pattern against any name: the matcher agrees with a plain table of which pattern prefixes
// match which name prefixes, and reads nothing outside either.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/wildcard.h"

using namespace vexaframe;

namespace {

// Where "?" or one step of "*" starting at byte `at` ends: past one whole UTF-8 character.
std::size_t NextCharacter(const std::string& name, std::size_t at) {
    ++at;
    while (at < name.size() && (static_cast<unsigned char>(name[at]) & 0xC0) == 0x80) ++at;
    return at;
}

// Names and patterns reach the matcher converted from UTF-16, so they are well-formed UTF-8.
// In other bytes a literal may stop inside a character that "*" steps over whole, and the
// matcher and the table may then part; that needs no answer of its own.
bool IsWellFormedUtf8(const std::string& text) {
    for (std::size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        const std::size_t length = lead < 0x80             ? 1
                                   : (lead & 0xE0) == 0xC0 ? 2
                                   : (lead & 0xF0) == 0xE0 ? 3
                                   : (lead & 0xF8) == 0xF0 ? 4
                                                           : 0;
        if (length == 0 || at + length > text.size()) return false;
        for (std::size_t i = 1; i < length; ++i)
            if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) return false;
        at += length;
    }
    return true;
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool ReferenceMatch(const std::string& pattern, const std::string& name) {
    // matches[i][j]: the first i pattern bytes match the first j name bytes.
    std::vector<std::vector<bool>> matches(pattern.size() + 1, std::vector<bool>(name.size() + 1));
    matches[0][0] = true;
    for (std::size_t i = 1; i <= pattern.size(); ++i) {
        const char p = pattern[i - 1];
        for (std::size_t j = 0; j <= name.size(); ++j) {
            if (p == '*') matches[i][j] = matches[i][j] || matches[i - 1][j];
            if (!matches[i][j] && p != '*' && p != '?' && j > 0)
                matches[i][j] = matches[i - 1][j - 1] && Lower(p) == Lower(name[j - 1]);
            if (j == name.size()) continue;
            // Steps of "*" and "?" reach forward, so they fill the columns still to come.
            const std::size_t next = NextCharacter(name, j);
            if (p == '*' && matches[i][j]) matches[i][next] = true;
            if (p == '?' && matches[i - 1][j]) matches[i][next] = true;
        }
    }
    return matches[pattern.size()][name.size()];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string pattern = input.ConsumeRandomLengthString(64);
    const std::string name = input.ConsumeRandomLengthString(64);
    const bool matched = WildcardMatch(pattern, name);
    if (IsWellFormedUtf8(pattern) && IsWellFormedUtf8(name) &&
        matched != ReferenceMatch(pattern, name))
        std::abort();
    return 0;
}
