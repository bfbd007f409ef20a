#include "platform/win32_code_page.h"

#include <windows.h>

#include "platform/win32_text.h"

namespace vexaframe {

std::optional<std::string> Win32CodePage::FromUtf8(std::string_view utf8) const {
    const std::wstring wide = WideFromUtf8(utf8);
    if (wide.empty()) return std::string();
    const int size = static_cast<int>(wide.size());
    BOOL usedDefault = FALSE;
    const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr,
                                           0, nullptr, &usedDefault);
    if (length <= 0 || usedDefault) return std::nullopt;
    std::string encoded(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, encoded.data(), length,
                        nullptr, &usedDefault);
    // A character is only representable when it comes back unchanged.
    if (usedDefault || WideFromCodePage(CP_ACP, encoded) != wide) return std::nullopt;
    return encoded;
}

std::string Win32CodePage::ToUtf8(std::string_view encoded) const {
    return Utf8FromWide(WideFromCodePage(CP_ACP, encoded));
}

}  // namespace vexaframe
