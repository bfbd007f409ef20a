// Any command line: the argument text is the line's tail, and the mode and the window handle
// are read from it without fault.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "settings/command_line.h"

using namespace vexaframe;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view commandLine(reinterpret_cast<const char*>(data), size);
    const std::string arguments = ArgumentTextOf(commandLine);
    if (!commandLine.ends_with(arguments)) std::abort();

    ModeLetter(arguments);
    WindowHandleFromArgument(arguments);
    return 0;
}
