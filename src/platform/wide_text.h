#pragma once
// Wide text (UTF-16 where wchar_t has 16 bits, as on Windows; UTF-32 elsewhere) to and from
// UTF-8, without the platform's help: for the portable parts, whose messages are wide text.

#include <string>
#include <string_view>

namespace vexaframe {

// Malformed sequences and unpaired surrogates become U+FFFD.
std::wstring DecodeUtf8(std::string_view utf8);
std::string EncodeUtf8(std::wstring_view wide);

}  // namespace vexaframe
