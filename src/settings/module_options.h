#pragma once
// The native program's command line, in the conventions of XScreenSaver's display modules: the
// window to draw into, how frames are made, and the saver's settings. One table defines every
// option; the parser, the help text and the test of the module's description all read it.

#include <array>
#include <cstdint>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "settings/device_preference.h"
#include "settings/run_state.h"
#include "settings/settings.h"

namespace vexaframe {

class CodePage;
class FileSystem;

inline constexpr std::string_view kModuleName = "vexaframe";

enum class WindowTarget {
    CoverScreen,  // run by hand: covers the screen and ends on input, as the saver does
    Root,         // the root window, when XScreenSaver names no window of its own
    GivenWindow,  // a window another program made (-window-id, XSCREENSAVER_WINDOW)
    OwnWindow,    // a window of its own
};

// The settings given as options; each one given replaces the settings file's value.
struct SettingOptions {
    std::optional<std::string> imageFolder{};
    std::optional<std::int16_t> orderMode{};
    std::optional<std::int16_t> intervalSeconds{};
    std::optional<std::int16_t> transparencyMode{};
    std::array<std::optional<std::int16_t>, kKindCount> kindEnabled{};  // as Settings::KindEnabled
    std::optional<std::int16_t> subFolders{};
    std::optional<std::int16_t> caption{};

    bool operator==(const SettingOptions&) const = default;
};

struct ModuleOptions {
    WindowTarget window = WindowTarget::CoverScreen;
    std::uint32_t windowId = 0;  // the window to draw into, for GivenWindow
    bool showFrameRate = false;
    std::int32_t delayMicroseconds = 0;  // pause between frames; 0 paces them to the display
    DevicePreference device = DevicePreference::Automatic;
    SettingOptions settings{};

    bool operator==(const ModuleOptions&) const = default;
};

// Only a saver run by hand ends on input; under XScreenSaver, XScreenSaver ends it.
bool EndsOnInput(const ModuleOptions& options);

enum class OptionsOutcome { Run, ShowHelp, Fail };

struct ParsedOptions {
    OptionsOutcome outcome = OptionsOutcome::Run;
    ModuleOptions options{};
    std::string error{};  // for Fail: one line naming the option and what it takes
};

// `arguments` follow the program's name. `screensaverWindow` is XSCREENSAVER_WINDOW's value
// (empty when unset), the window to draw into when no window option or -root is given. Options
// start with one dash or two; the last window option given wins, and so does the last device
// option.
ParsedOptions ParseModuleOptions(std::span<const std::string_view> arguments,
                                 std::string_view screensaverWindow);

// Every option with what it takes and its default.
std::string UsageText();

// Writes the help to `out`, or the error and the usage to `err`; gives the exit status when
// the program ends here.
std::optional<int> ReportHelpOrError(const ParsedOptions& parsed, std::ostream& out,
                                     std::ostream& err);

// The settings file's settings with the options' settings over them, and the catalogue of the
// result for a show. Gives the picture folder they name: the catalogue clears a folder that is
// not there.
std::string LoadModuleSettings(FileSystem& files, const CodePage& codePage,
                               const SettingsLocation& location, const SettingOptions& options,
                               RunState& run);

// --- The option table ---

enum class OptionKind {
    Flag,      // -name
    Switch,    // -name and -no-name
    Number,    // -name N, from minimum to maximum
    Choice,    // -name WORD, one of choices; the word's place in them is its value
    Path,      // -name PATH
    WindowId,  // -name ID, decimal or 0x hex
};

enum class OptionGroup {
    Window,   // where to draw; XScreenSaver gives these itself
    Frames,   // how frames are made
    Setting,  // one of the saver's settings
    Help,
};

struct OptionValue {
    std::int64_t number = 0;  // Switch: 1 or 0; Number; Choice: the word's place; WindowId
    std::string_view text{};  // Path
};

struct OptionEntry {
    std::string_view name;  // without its dash
    OptionKind kind;
    OptionGroup group;
    std::string_view valueName{};  // what -help calls the value
    // As an OptionValue's number: a Switch's 1 or 0, a Number, a Choice's place; none for others.
    std::optional<std::int64_t> defaultValue{};
    std::string_view help;
    std::int64_t minimum = 0;
    std::int64_t maximum = 0;
    std::span<const std::string_view> choices{};
    void (*apply)(ModuleOptions& options, const OptionValue& value) = nullptr;  // not for Help
};

std::span<const OptionEntry> ModuleOptionTable();

// The default as it is written on the command line: "on" or "off", the number, the word; empty
// when the option has none.
std::string DefaultText(const OptionEntry& entry);

}  // namespace vexaframe
