#pragma once
// Reading the command line the system starts the program with.

#include <cstdint>
#include <string>
#include <string_view>

namespace vexaframe {

// The argument text of a whole command line: what follows the program's name (quoted or
// not) and the blanks after it, kept exactly as given.
std::string ArgumentTextOf(std::string_view commandLine);

// The second character of the argument text, upper-cased (ASCII letters only); empty when
// the text has fewer than two characters.
std::string ModeLetter(std::string_view argumentText);

// The window handle written from the fourth character on: blanks skipped, the leading
// number rounded to the nearest whole; 0 when there is none or it fits no 32-bit handle.
std::int32_t WindowHandleFromArgument(std::string_view argumentText);

}  // namespace vexaframe
