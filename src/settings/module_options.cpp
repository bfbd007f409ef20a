#include "settings/module_options.h"

#include <algorithm>
#include <charconv>
#include <sstream>

#include "settings/catalogue.h"

namespace vexaframe {

namespace {

constexpr std::array<std::string_view, 2> kOrderWords{"sequential", "random"};
constexpr std::array<std::string_view, 3> kTransparencyWords{"opaque", "semi", "random"};

constexpr std::int64_t kLargestWindowId = 0xFFFFFFFF;  // X window ids are 32-bit

std::int16_t Setting(const OptionValue& value) {
    return static_cast<std::int16_t>(value.number);
}

// One switch per picture kind, in Settings::KindEnabled's order.
template <std::size_t kKind>
constexpr OptionEntry KindSwitch(std::string_view name, std::string_view help) {
    return {.name = name,
            .kind = OptionKind::Switch,
            .group = OptionGroup::Setting,
            .defaultValue = kDefaultKindEnabled,
            .help = help,
            .apply = [](ModuleOptions& options, const OptionValue& value) {
                options.settings.kindEnabled[kKind] = Setting(value);
            }};
}

// A switch asking for one device; its -no- form takes back only that device's ask, so that of
// -opengl and -software the last one given wins.
template <DevicePreference kDevice>
constexpr OptionEntry DeviceSwitch(std::string_view name, std::string_view help) {
    return {.name = name,
            .kind = OptionKind::Switch,
            .group = OptionGroup::Frames,
            .defaultValue = 0,
            .help = help,
            .apply = [](ModuleOptions& options, const OptionValue& value) {
                if (value.number != 0) {
                    options.device = kDevice;
                } else if (options.device == kDevice) {
                    options.device = DevicePreference::Automatic;
                }
            }};
}

// The settings' defaults are those ReadSettings gives when the file is missing.
constexpr std::array kOptions{
    OptionEntry{.name = "root",
                .kind = OptionKind::Flag,
                .group = OptionGroup::Window,
                .help = "draw on the root window, or the one XSCREENSAVER_WINDOW names",
                .apply = [](ModuleOptions& options,
                            const OptionValue&) { options.window = WindowTarget::Root; }},
    OptionEntry{.name = "window-id",
                .kind = OptionKind::WindowId,
                .group = OptionGroup::Window,
                .valueName = "ID",
                .help = "draw into the window ID (decimal or 0x hex)",
                .minimum = 1,
                .maximum = kLargestWindowId,
                .apply =
                    [](ModuleOptions& options, const OptionValue& value) {
                        options.window = WindowTarget::GivenWindow;
                        options.windowId = static_cast<std::uint32_t>(value.number);
                    }},
    OptionEntry{.name = "window",
                .kind = OptionKind::Flag,
                .group = OptionGroup::Window,
                .help = "draw in a window of its own",
                .apply = [](ModuleOptions& options,
                            const OptionValue&) { options.window = WindowTarget::OwnWindow; }},
    OptionEntry{
        .name = "fps",
        .kind = OptionKind::Switch,
        .group = OptionGroup::Frames,
        .defaultValue = 0,
        .help = "show the frame rate",
        .apply = [](ModuleOptions& options,
                    const OptionValue& value) { options.showFrameRate = value.number != 0; }},
    OptionEntry{.name = "delay",
                .kind = OptionKind::Number,
                .group = OptionGroup::Frames,
                .valueName = "MICROSECONDS",
                .defaultValue = 0,
                .help = "pause between frames, 0 for the display's pace",
                .minimum = 0,
                .maximum = 100000,
                .apply =
                    [](ModuleOptions& options, const OptionValue& value) {
                        options.delayMicroseconds = static_cast<std::int32_t>(value.number);
                    }},
    DeviceSwitch<DevicePreference::OpenGl>("opengl",
                                           "draw with OpenGL even where the processor draws it"),
    DeviceSwitch<DevicePreference::Software>(
        "software", "draw with the software device even on a graphics processor"),
    OptionEntry{.name = "folder",
                .kind = OptionKind::Path,
                .group = OptionGroup::Setting,
                .valueName = "PATH",
                .help = "the folder of the pictures",
                .apply =
                    [](ModuleOptions& options, const OptionValue& value) {
                        options.settings.imageFolder = std::string(value.text);
                    }},
    OptionEntry{
        .name = "subfolders",
        .kind = OptionKind::Switch,
        .group = OptionGroup::Setting,
        .defaultValue = kDefaultSubFolders,
        .help = "take the pictures of the folder's sub-folders too",
        .apply = [](ModuleOptions& options,
                    const OptionValue& value) { options.settings.subFolders = Setting(value); }},
    OptionEntry{
        .name = "caption",
        .kind = OptionKind::Switch,
        .group = OptionGroup::Setting,
        .defaultValue = kDefaultCaption,
        .help = "show each picture's date and name in a corner",
        .apply = [](ModuleOptions& options,
                    const OptionValue& value) { options.settings.caption = Setting(value); }},
    OptionEntry{.name = "interval",
                .kind = OptionKind::Number,
                .group = OptionGroup::Setting,
                .valueName = "SECONDS",
                .defaultValue = kDefaultIntervalSeconds,
                .help = "time each picture shows",
                .minimum = kShortestInterval,
                .maximum = kLongestInterval,
                .apply =
                    [](ModuleOptions& options, const OptionValue& value) {
                        options.settings.intervalSeconds = Setting(value);
                    }},
    OptionEntry{
        .name = "order",
        .kind = OptionKind::Choice,
        .group = OptionGroup::Setting,
        .valueName = "WORD",
        .defaultValue = kDefaultOrderMode,
        .help = "the order of the pictures",
        .choices = kOrderWords,
        .apply = [](ModuleOptions& options,
                    const OptionValue& value) { options.settings.orderMode = Setting(value); }},
    OptionEntry{.name = "transparency",
                .kind = OptionKind::Choice,
                .group = OptionGroup::Setting,
                .valueName = "WORD",
                .defaultValue = kDefaultTransparencyMode,
                .help = "the faces' transparency",
                .choices = kTransparencyWords,
                .apply =
                    [](ModuleOptions& options, const OptionValue& value) {
                        options.settings.transparencyMode = Setting(value);
                    }},
    KindSwitch<0>("bmp", "show .bmp pictures"),
    KindSwitch<1>("gif", "show .gif pictures"),
    KindSwitch<2>("jpg", "show .jpg, .jpeg, .jpe and .jfif pictures"),
    KindSwitch<3>("wmf", "show .wmf pictures"),
    KindSwitch<4>("png", "show .png pictures"),
    KindSwitch<5>("webp", "show .webp pictures"),
    KindSwitch<6>("heic", "show .heic, .heif and .hif pictures"),
    KindSwitch<7>("avif", "show .avif pictures"),
    OptionEntry{.name = "help",
                .kind = OptionKind::Flag,
                .group = OptionGroup::Help,
                .help = "show these options and end"},
};

constexpr std::string_view kNegation = "no-";
constexpr std::string_view kScreensaverWindowVariable = "XSCREENSAVER_WINDOW";

// The argument as a message can show it on one line.
std::string Quoted(std::string_view text) {
    constexpr std::size_t kShown = 40;
    std::string shown;
    for (const char c : text.substr(0, kShown)) {
        const auto byte = static_cast<unsigned char>(c);
        shown += byte < 0x20 || byte == 0x7F ? '?' : c;
    }
    if (text.size() > kShown) shown += "...";
    return "\"" + shown + "\"";
}

std::string ChoicesText(std::span<const std::string_view> choices) {
    std::string text;
    for (std::size_t index = 0; index < choices.size(); ++index) {
        if (index > 0) text += index + 1 == choices.size() ? " or " : ", ";
        text += choices[index];
    }
    return text;
}

std::string WhatItTakes(const OptionEntry& entry) {
    switch (entry.kind) {
        case OptionKind::Number:
            return "a number from " + std::to_string(entry.minimum) + " to " +
                   std::to_string(entry.maximum);
        case OptionKind::Choice:
            return ChoicesText(entry.choices);
        case OptionKind::Path:
            return "a path";
        case OptionKind::WindowId:
            return "a window number, decimal or 0x hex";
        case OptionKind::Flag:
        case OptionKind::Switch:
            break;
    }
    return "nothing";
}

// The whole text as a number in the option's range: decimal digits only, or for a window id
// also 0x and hex digits.
std::optional<std::int64_t> NumberOf(const OptionEntry& entry, std::string_view text) {
    int base = 10;
    if (entry.kind == OptionKind::WindowId && (text.starts_with("0x") || text.starts_with("0X"))) {
        text.remove_prefix(2);
        base = 16;
    }
    std::uint64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, base);
    if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
    if (value < static_cast<std::uint64_t>(entry.minimum) ||
        value > static_cast<std::uint64_t>(entry.maximum))
        return std::nullopt;
    return static_cast<std::int64_t>(value);
}

std::optional<OptionValue> ValueOf(const OptionEntry& entry, std::string_view text) {
    switch (entry.kind) {
        case OptionKind::Number:
        case OptionKind::WindowId:
            if (auto number = NumberOf(entry, text)) return OptionValue{.number = *number};
            return std::nullopt;
        case OptionKind::Choice: {
            const auto word = std::ranges::find(entry.choices, text);
            if (word == entry.choices.end()) return std::nullopt;
            return OptionValue{.number = word - entry.choices.begin()};
        }
        case OptionKind::Path:
            return OptionValue{.text = text};
        case OptionKind::Flag:
        case OptionKind::Switch:
            break;
    }
    return std::nullopt;
}

struct FoundOption {
    const OptionEntry* entry;
    bool negated;  // -no-name of a Switch
};

std::optional<FoundOption> FindOption(std::string_view argument) {
    std::string_view name = argument;
    if (name.starts_with("--")) {
        name.remove_prefix(2);
    } else if (name.starts_with('-')) {
        name.remove_prefix(1);
    } else {
        return std::nullopt;
    }
    for (const OptionEntry& entry : kOptions) {
        if (name == entry.name) return FoundOption{&entry, false};
        if (entry.kind == OptionKind::Switch && name.starts_with(kNegation) &&
            name.substr(kNegation.size()) == entry.name)
            return FoundOption{&entry, true};
    }
    return std::nullopt;
}

ParsedOptions Failure(std::string error) {
    return ParsedOptions{.outcome = OptionsOutcome::Fail, .error = std::move(error)};
}

std::string InvalidValue(std::string_view what, const OptionEntry& entry, std::string_view text) {
    return std::string(what) + " takes " + WhatItTakes(entry) + ", not " + Quoted(text);
}

std::string OptionColumn(const OptionEntry& entry) {
    const std::string name = "-" + std::string(entry.name);
    switch (entry.kind) {
        case OptionKind::Switch:
            return name + ", -" + std::string(kNegation) + std::string(entry.name);
        case OptionKind::Choice:
        case OptionKind::Number:
        case OptionKind::Path:
        case OptionKind::WindowId:
            return name + " " + std::string(entry.valueName);
        case OptionKind::Flag:
            break;
    }
    return name;
}

std::string HelpLine(const OptionEntry& entry) {
    constexpr std::size_t kColumn = 28;
    std::string line = "  " + OptionColumn(entry);
    line.resize(std::max(line.size() + 1, kColumn), ' ');
    line += entry.help;
    std::string values;
    if (entry.kind == OptionKind::Number) {
        values = std::to_string(entry.minimum) + " to " + std::to_string(entry.maximum) + ", ";
    } else if (entry.kind == OptionKind::Choice) {
        values = ChoicesText(entry.choices) + ", ";
    }
    if (entry.defaultValue) line += " (" + values + "default " + DefaultText(entry) + ")";
    return line + "\n";
}

}  // namespace

bool EndsOnInput(const ModuleOptions& options) {
    return options.window == WindowTarget::CoverScreen;
}

ParsedOptions ParseModuleOptions(std::span<const std::string_view> arguments,
                                 std::string_view screensaverWindow) {
    ParsedOptions parsed;
    for (std::size_t index = 0; index < arguments.size(); ++index) {
        const std::string_view argument = arguments[index];
        const std::optional<FoundOption> found = FindOption(argument);
        if (!found) {
            return Failure(
                (argument.starts_with('-') ? "unknown option " : "unexpected argument ") +
                Quoted(argument));
        }
        const OptionEntry& entry = *found->entry;
        if (entry.group == OptionGroup::Help)
            return ParsedOptions{.outcome = OptionsOutcome::ShowHelp};
        OptionValue value{.number = found->negated ? 0 : 1};
        if (entry.kind != OptionKind::Flag && entry.kind != OptionKind::Switch) {
            if (index + 1 == arguments.size()) {
                return Failure(std::string(argument) + " takes " + WhatItTakes(entry) +
                               "; none was given");
            }
            const std::string_view text = arguments[++index];
            const std::optional<OptionValue> given = ValueOf(entry, text);
            if (!given) return Failure(InvalidValue(argument, entry, text));
            value = *given;
        }
        entry.apply(parsed.options, value);
    }
    // XScreenSaver's -root means its own window over the root, which XSCREENSAVER_WINDOW names.
    const WindowTarget chosen = parsed.options.window;
    const bool rootOrNone = chosen == WindowTarget::Root || chosen == WindowTarget::CoverScreen;
    if (rootOrNone && !screensaverWindow.empty()) {
        const OptionEntry& windowId = *FindOption("-window-id")->entry;
        const std::optional<OptionValue> value = ValueOf(windowId, screensaverWindow);
        if (!value)
            return Failure(InvalidValue(kScreensaverWindowVariable, windowId, screensaverWindow));
        windowId.apply(parsed.options, *value);
    }
    return parsed;
}

std::string UsageText() {
    std::string text = "Usage: " + std::string(kModuleName) +
                       " [options]\n"
                       "Shows the pictures of a folder on a turning cube. Options may start with "
                       "one dash or two.\n";
    OptionGroup group = OptionGroup::Window;
    for (const OptionEntry& entry : kOptions) {
        if (entry.group == OptionGroup::Setting && group != OptionGroup::Setting) {
            text +=
                "The settings below replace those of vexaframe/Vexaframe.ini in $XDG_CONFIG_HOME\n"
                "(else ~/.config); the defaults are those of a missing file.\n";
        }
        group = entry.group;
        text += HelpLine(entry);
    }
    return text;
}

std::optional<int> ReportHelpOrError(const ParsedOptions& parsed, std::ostream& out,
                                     std::ostream& err) {
    switch (parsed.outcome) {
        case OptionsOutcome::Run:
            return std::nullopt;
        case OptionsOutcome::ShowHelp:
            out << UsageText() << std::flush;
            return 0;
        case OptionsOutcome::Fail:
            err << kModuleName << ": " << parsed.error << "\n" << UsageText() << std::flush;
            return 1;
    }
    return 1;
}

std::string LoadModuleSettings(FileSystem& files, const CodePage& codePage,
                               const SettingsLocation& location, const SettingOptions& options,
                               RunState& run) {
    Settings& settings = run.settings;
    ReadSettings(files, codePage, location, settings);
    if (options.imageFolder) settings.ImageFolder = *options.imageFolder;
    if (options.orderMode) settings.OrderMode = *options.orderMode;
    if (options.intervalSeconds) settings.IntervalSeconds = *options.intervalSeconds;
    if (options.transparencyMode) settings.TransparencyMode = *options.transparencyMode;
    if (options.subFolders) settings.SubFolders = *options.subFolders;
    if (options.caption) settings.Caption = *options.caption;
    for (std::size_t kind = 0; kind < options.kindEnabled.size(); ++kind) {
        if (options.kindEnabled[kind]) settings.KindEnabled[kind] = *options.kindEnabled[kind];
    }
    std::string folderAsked = settings.ImageFolder;
    LoadCatalogue(files, run, CatalogueUse::Show);
    return folderAsked;
}

std::span<const OptionEntry> ModuleOptionTable() {
    return kOptions;
}

std::string DefaultText(const OptionEntry& entry) {
    if (!entry.defaultValue) return {};
    const std::int64_t value = *entry.defaultValue;
    switch (entry.kind) {
        case OptionKind::Switch:
            return value != 0 ? "on" : "off";
        case OptionKind::Choice:
            return std::string(entry.choices[static_cast<std::size_t>(value)]);
        default:
            return std::to_string(value);
    }
}

}  // namespace vexaframe
