// The entry of the native program: a display module in XScreenSaver's conventions, or the saver
// run by hand.

#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/module_options.h"
#include "app/startup.h"
#include "pictures/posix_picture_decoder.h"
#include "platform/posix_file_system.h"
#include "platform/random.h"
#include "platform/utf8_code_page.h"
#include "saver/x11_saver_window.h"
#include "settings/xdg_location.h"

namespace {

using namespace vexaframe;

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

X11Target TargetOf(WindowTarget window) {
    switch (window) {
        case WindowTarget::Root:
            return X11Target::Root;
        case WindowTarget::GivenWindow:
            return X11Target::GivenWindow;
        case WindowTarget::OwnWindow:
            return X11Target::OwnWindow;
        case WindowTarget::CoverScreen:
            break;
    }
    return X11Target::CoverScreen;
}

X11SaverOptions SaverOptionsOf(const ModuleOptions& options) {
    return {TargetOf(options.window), options.windowId, options.softwareDevice,
            options.showFrameRate, std::chrono::microseconds(options.delayMicroseconds)};
}

// Names the folder asked for, which the settings no longer hold when it is not there.
std::string NoPicturesMessage(const std::string& folder, const std::string& settingsFile) {
    const std::string what = folder.empty() ? "no picture folder is chosen"
                                            : "no pictures to show in \"" + folder + "\"";
    return "vexaframe: " + what + ". Choose a folder of pictures with -folder PATH, or set it in " +
           settingsFile + "\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (const std::optional<int> decoderExit = RunPictureDecoderIfAsked()) return *decoderExit;

    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    const ParsedOptions parsed = ParseModuleOptions(arguments, Environment("XSCREENSAVER_WINDOW"));
    if (const std::optional<int> exit = ReportHelpOrError(parsed, std::cout, std::cerr))
        return *exit;
    const ModuleOptions& options = parsed.options;

    PosixFileSystem files;
    const std::optional<SettingsLocation> location = XdgSettingsLocation(
        files,
        {Environment("XDG_CONFIG_HOME"), Environment("XDG_CACHE_HOME"), Environment("HOME")});
    if (!location) {
        std::cerr << "vexaframe: no folder for the settings: set HOME or XDG_CONFIG_HOME\n";
        return 1;
    }
    // Run by hand it ends on input as the Windows saver started with /s does; under XScreenSaver
    // as the one started without a switch, which takes no part in the system's saver state.
    RunState run(EndsOnInput(options) ? "/s" : "", UniformRandom::FromTimeAndEntropy());
    const std::string folder = LoadModuleSettings(files, Utf8CodePage(), *location,
                                                  options.settings, run.settings, run.catalogue);
    if (run.catalogue.ImageCount <= 0) {
        std::cerr << NoPicturesMessage(folder, location->settingsFile);
        return 1;
    }
    PrepareImageOrder(run);

    X11SaverWindow saver(run, location->pictureFile, SaverOptionsOf(options));
    if (!saver.Open()) return 1;
    saver.Run();
}
