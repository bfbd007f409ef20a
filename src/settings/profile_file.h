#pragma once
// The sectioned profile format ("[section]" lines, then "key=value" lines), read and
// written exactly as the Windows profile functions do on a Shift-JIS system, on the raw
// bytes of the file. Writing changes one line, or adds lines, and keeps every other byte.

#include <optional>
#include <string>
#include <string_view>

namespace vexaframe {

// The value of `key` in the first section named `section` (names compared without regard
// to case or surrounding blanks; a value in matching quotes loses them). Nothing when the
// section or the key is missing, or the key's line has no "=".
std::optional<std::string> FindProfileValue(std::string_view text, std::string_view section,
                                            std::string_view key);

// The text with `key` in `section` set to `value`: the key's line is rewritten, or the key
// is added at the end of the section, or the section is added at the end of the text.
std::string WithProfileValue(std::string_view text, std::string_view section,
                             std::string_view key, std::string_view value);

}  // namespace vexaframe
