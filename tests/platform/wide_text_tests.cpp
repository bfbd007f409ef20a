#include <gtest/gtest.h>

#include <string>

#include "platform/wide_text.h"

namespace vexaframe {
namespace {

TEST(WideText, RoundTripsEveryLengthOfSequenceAndReplacesMalformedOnes) {
    const std::string utf8 = "A\xC3\xA9\xEF\xBD\xB1\xE5\x86\x99\xF0\x9F\x93\xB7";  // Aéｱ写📷
    const std::wstring wide = DecodeUtf8(utf8);
    EXPECT_EQ(wide.size(), sizeof(wchar_t) == 2 ? 6u : 5u);
    EXPECT_EQ(wide.substr(0, 4), L"A\u00E9\uFF71\u5199");
    EXPECT_EQ(EncodeUtf8(wide), utf8);

    // Cut short, overlong, a surrogate written out, beyond U+10FFFF, a stray continuation.
    for (const std::string bad :
         {"\xE5\x86", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\x80"})
        EXPECT_EQ(DecodeUtf8(bad + "z").back(), L'z') << bad.size();
    EXPECT_EQ(DecodeUtf8("\xE5\x86"
                         "z"),
              L"\uFFFDz");
    EXPECT_EQ(EncodeUtf8(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace vexaframe
