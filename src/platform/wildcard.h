#pragma once
// The file system's wildcard matching, for listings that must decide it themselves.

#include <string_view>

namespace vexaframe {

// True when the whole of `name` matches `pattern`: "*" stands for any run of characters,
// "?" for one character, and ASCII letters match without regard to case. UTF-8 text.
bool WildcardMatch(std::string_view pattern, std::string_view name);

}  // namespace vexaframe
