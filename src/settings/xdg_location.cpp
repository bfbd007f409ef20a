#include "settings/xdg_location.h"

#include <string_view>

#include "platform/file_system.h"
#include "settings/settings_keys.h"

namespace vexaframe {

namespace {

constexpr std::string_view kProgramFolder = "vexaframe";

std::optional<std::string> BaseFolder(const std::string& xdgValue, const std::string& home,
                                      std::string_view homeSubfolder) {
    if (xdgValue.starts_with('/')) return xdgValue;
    if (home.starts_with('/')) return home + "/" + std::string(homeSubfolder);
    return std::nullopt;
}

std::string InProgramFolder(const std::string& base, std::string_view name) {
    return base + "/" + std::string(kProgramFolder) + "/" + std::string(name);
}

}  // namespace

std::optional<SettingsLocation> XdgSettingsLocation(FileSystem& files,
                                                    const XdgEnvironment& environment) {
    const std::optional<std::string> config =
        BaseFolder(environment.configHome, environment.home, ".config");
    const std::optional<std::string> cache =
        BaseFolder(environment.cacheHome, environment.home, ".cache");
    if (!config || !cache) return std::nullopt;

    // A folder that cannot be made fails the staging later, as any unwritable folder does.
    (void)files.CreateFolders(*cache + "/" + std::string(kProgramFolder));
    const std::string settingsFile = InProgramFolder(*config, settings_keys::kSettingsFileName);
    return SettingsLocation{settingsFile, settingsFile,
                            InProgramFolder(*cache, settings_keys::kPictureFileName)};
}

}  // namespace vexaframe
