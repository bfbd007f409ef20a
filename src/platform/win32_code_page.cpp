#include "platform/win32_code_page.h"

#include <windows.h>

#include "platform/win32_text.h"

namespace vexaframe {

namespace {

std::wstring WideFromAnsi(std::string_view encoded) {
    if (encoded.empty()) return {};
    const int size = static_cast<int>(encoded.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, encoded.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, encoded.data(), size, wide.data(), length);
    return wide;
}

}  // namespace

std::optional<std::string> Win32CodePage::FromUtf8(std::string_view utf8) const {
    const std::wstring wide = WideFromUtf8(utf8);
    if (wide.empty()) return std::string();
    const int size = static_cast<int>(wide.size());
    BOOL usedDefault = FALSE;
    const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size,
                                           nullptr, 0, nullptr, &usedDefault);
    if (length <= 0 || usedDefault) return std::nullopt;
    std::string encoded(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, encoded.data(), length,
                        nullptr, &usedDefault);
    // A character is only representable when it comes back unchanged.
    if (usedDefault || WideFromAnsi(encoded) != wide) return std::nullopt;
    return encoded;
}

std::string Win32CodePage::ToUtf8(std::string_view encoded) const {
    return Utf8FromWide(WideFromAnsi(encoded));
}

}  // namespace vexaframe
