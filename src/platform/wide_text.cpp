#include "platform/wide_text.h"

#include <cstdint>

namespace vexaframe {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr bool kWideIsUtf16 = sizeof(wchar_t) == 2;

bool IsSurrogate(char32_t point) {
    return point >= 0xD800 && point <= 0xDFFF;
}

// The code point that starts at `at`, which moves past it.
char32_t NextCodePoint(std::string_view utf8, std::size_t& at) {
    const auto lead = static_cast<std::uint8_t>(utf8[at++]);
    if (lead < 0x80) return lead;
    const int trailing = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 ? 1 : 0;
    if (trailing == 0 || lead > 0xF4) return kReplacement;
    char32_t point = lead & (0x3F >> trailing);
    for (int i = 0; i < trailing; ++i) {
        if (at >= utf8.size() || (static_cast<std::uint8_t>(utf8[at]) & 0xC0) != 0x80)
            return kReplacement;
        point = point << 6 | (static_cast<std::uint8_t>(utf8[at++]) & 0x3F);
    }
    constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (point < kLeast[trailing] || point > 0x10FFFF || IsSurrogate(point)) return kReplacement;
    return point;
}

void AppendWide(std::wstring& wide, char32_t point) {
    if (kWideIsUtf16 && point > 0xFFFF) {
        point -= 0x10000;
        wide += static_cast<wchar_t>(0xD800 + (point >> 10));
        wide += static_cast<wchar_t>(0xDC00 + (point & 0x3FF));
        return;
    }
    wide += static_cast<wchar_t>(point);
}

// The code point that starts at `at`, which moves past it.
char32_t NextCodePoint(std::wstring_view wide, std::size_t& at) {
    const auto unit = static_cast<char32_t>(wide[at++]);
    if (!kWideIsUtf16) return unit > 0x10FFFF || IsSurrogate(unit) ? kReplacement : unit;
    if (!IsSurrogate(unit)) return unit;
    if (unit >= 0xDC00 || at >= wide.size()) return kReplacement;
    const auto low = static_cast<char32_t>(wide[at]);
    if (low < 0xDC00 || low > 0xDFFF) return kReplacement;
    ++at;
    return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
}

void AppendUtf8(std::string& utf8, char32_t point) {
    const auto put = [&](char32_t bits) { utf8 += static_cast<char>(bits); };
    if (point < 0x80) {
        put(point);
    } else if (point < 0x800) {
        put(0xC0 | point >> 6);
        put(0x80 | (point & 0x3F));
    } else if (point < 0x10000) {
        put(0xE0 | point >> 12);
        put(0x80 | (point >> 6 & 0x3F));
        put(0x80 | (point & 0x3F));
    } else {
        put(0xF0 | point >> 18);
        put(0x80 | (point >> 12 & 0x3F));
        put(0x80 | (point >> 6 & 0x3F));
        put(0x80 | (point & 0x3F));
    }
}

}  // namespace

std::wstring DecodeUtf8(std::string_view utf8) {
    std::wstring wide;
    for (std::size_t at = 0; at < utf8.size();) AppendWide(wide, NextCodePoint(utf8, at));
    return wide;
}

std::string EncodeUtf8(std::wstring_view wide) {
    std::string utf8;
    for (std::size_t at = 0; at < wide.size();) AppendUtf8(utf8, NextCodePoint(wide, at));
    return utf8;
}

}  // namespace vexaframe
