#pragma once
// The shell's folder browser.

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace vexaframe {

// Modal over `owner`, starting at the top of the shell's namespace. The chosen folder's path
// (UTF-8); nothing when the user cancels or chooses an item without a file-system path.
std::optional<std::string> BrowseForFolderWithTitle(HWND owner, std::wstring_view title);

}  // namespace vexaframe
