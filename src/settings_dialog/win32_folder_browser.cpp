#include "settings_dialog/win32_folder_browser.h"

// windows.h first: this needs its types.
#include <shlobj.h>

#include "platform/win32_text.h"

namespace vexaframe {

std::optional<std::string> BrowseForFolderWithTitle(HWND owner, std::wstring_view title) {
    std::wstring displayName(MAX_PATH, L'\0');
    const std::wstring titleText(title);
    BROWSEINFOW browse{};
    browse.hwndOwner = owner;
    browse.pszDisplayName = displayName.data();
    browse.lpszTitle = titleText.c_str();
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
    if (chosen == nullptr) return std::nullopt;
    std::wstring path(MAX_PATH, L'\0');
    const bool hasPath = SHGetPathFromIDListW(chosen, path.data()) != FALSE;
    CoTaskMemFree(chosen);
    path.resize(path.find(L'\0'));
    if (!hasPath || path.empty()) return std::nullopt;
    return Utf8FromWide(path);
}

}  // namespace vexaframe
