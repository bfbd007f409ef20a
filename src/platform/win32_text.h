#pragma once
// UTF-8 (the program's own text) to and from UTF-16 (the wide Win32 APIs).

#include <string>
#include <string_view>

namespace vexaframe {

std::wstring WideFromUtf8(std::string_view utf8);
// Text in the given Windows code page (CP_ACP for the system's) to UTF-16.
std::wstring WideFromCodePage(unsigned int codePage, std::string_view text);
std::string Utf8FromWide(std::wstring_view wide);

}  // namespace vexaframe
