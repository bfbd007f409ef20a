// Any argument list (NUL-separated; the first piece is XSCREENSAVER_WINDOW's value): parsing
// ends in options within their ranges, the help, or a one-line fault.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <string_view>
#include <vector>

#include "settings/module_options.h"

using namespace vexaframe;

namespace {

bool Within(const std::optional<std::int16_t>& setting, int minimum, int maximum) {
    return !setting || (*setting >= minimum && *setting <= maximum);
}

bool WithinRanges(const ModuleOptions& options) {
    const SettingOptions& settings = options.settings;
    bool kindsWithin = true;
    for (const std::optional<std::int16_t>& kind : settings.kindEnabled) {
        kindsWithin = kindsWithin && Within(kind, 0, 1);
    }
    return kindsWithin && Within(settings.orderMode, 0, 1) &&
           Within(settings.intervalSeconds, 10, 60) && Within(settings.transparencyMode, 0, 2) &&
           options.delayMicroseconds >= 0 && options.delayMicroseconds <= 100000 &&
           (options.window != WindowTarget::GivenWindow || options.windowId != 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string_view> pieces;
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    for (std::size_t end = rest.find('\0'); end != std::string_view::npos; end = rest.find('\0')) {
        pieces.push_back(rest.substr(0, end));
        rest.remove_prefix(end + 1);
    }
    pieces.push_back(rest);

    const std::span<const std::string_view> arguments(pieces.begin() + 1, pieces.end());
    const ParsedOptions parsed = ParseModuleOptions(arguments, pieces.front());
    switch (parsed.outcome) {
        case OptionsOutcome::Run:
            if (!WithinRanges(parsed.options)) std::abort();
            break;
        case OptionsOutcome::Fail:
            if (parsed.error.empty() || parsed.error.find('\n') != std::string::npos) std::abort();
            break;
        case OptionsOutcome::ShowHelp:
            break;
    }
    std::ostringstream out;
    std::ostringstream err;
    ReportHelpOrError(parsed, out, err);
    return 0;
}
