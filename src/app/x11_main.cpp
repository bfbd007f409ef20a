// The entry of the native program: a display module in XScreenSaver's conventions, or the saver
// run by hand.

#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/startup.h"
#include "pictures/picture_decoder.h"
#include "platform/posix_file_system.h"
#include "platform/random.h"
#include "platform/text_rasteriser.h"
#include "platform/utf8_code_page.h"
#include "saver/x11_saver_window.h"
#include "settings/module_options.h"
#include "settings/xdg_location.h"

namespace {

using namespace vexaframe;

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// Run by hand it covers the screen, hides the pointer and ends on input, as the system's saver
// does; under XScreenSaver, XScreenSaver ends it. The saver password is XScreenSaver's.
SaverMode SaverModeFor(const ModuleOptions& options) {
    const bool byHand = EndsOnInput(options);
    return {.endsOnMouseMove = byHand,
            .hidesPointer = byHand,
            .asksPassword = false,
            .framePause = std::chrono::microseconds(options.delayMicroseconds)};
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
    PosixFileSystem files;
    if (const std::optional<int> decoderExit = RunPictureDecoderIfAsked(files)) return *decoderExit;

    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    const ParsedOptions parsed = ParseModuleOptions(arguments, Environment("XSCREENSAVER_WINDOW"));
    if (const std::optional<int> exit = ReportHelpOrError(parsed, std::cout, std::cerr))
        return *exit;
    const ModuleOptions& options = parsed.options;

    const std::optional<SettingsLocation> location = XdgSettingsLocation(
        files, {Environment("XDG_CONFIG_HOME"), Environment("XDG_CACHE_HOME"), Environment("HOME")},
        MakePrivateTemporaryFolder);
    if (!location) {
        std::cerr << "vexaframe: no folder for the settings: set HOME or XDG_CONFIG_HOME\n";
        return 1;
    }
    RunState run(UniformRandom::FromTimeAndEntropy());
    const std::string folder =
        LoadModuleSettings(files, Utf8CodePage(), *location, options.settings, run);
    if (run.catalogue.ImageCount <= 0) {
        std::cerr << NoPicturesMessage(folder, location->settingsFile);
        return 1;
    }
    PrepareImageOrder(run);

    X11SaverWindow saver(
        run, options, SaverModeFor(options),
        SaverPictures{files, location->pictureFile, std::make_unique<ProcessPictureDecoder>(),
                      MakeTextRasteriser()});
    if (!saver.Open()) return 1;
    saver.Run();
}
