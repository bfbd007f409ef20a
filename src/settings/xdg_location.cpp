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
                                                    const XdgEnvironment& environment,
                                                    const PrivateFolderMaker& makePrivateFolder) {
    const std::optional<std::string> config =
        BaseFolder(environment.configHome, environment.home, ".config");
    const std::optional<std::string> cache =
        BaseFolder(environment.cacheHome, environment.home, ".cache");
    if (!config || !cache) return std::nullopt;

    const std::string settingsFile = InProgramFolder(*config, settings_keys::kSettingsFileName);
    std::string pictureFile = InProgramFolder(*cache, settings_keys::kPictureFileName);
    const std::string pictureFolder = *cache + "/" + std::string(kProgramFolder);
    if (!files.CreateFolders(pictureFolder) || !files.CanCreateFilesIn(pictureFolder)) {
        // Without even that folder the staging fails, as it does in any unwritable folder.
        const std::string privateFolder = makePrivateFolder();
        if (!privateFolder.empty())
            pictureFile = privateFolder + "/" + std::string(settings_keys::kPictureFileName);
    }
    return SettingsLocation{settingsFile, settingsFile, pictureFile};
}

}  // namespace vexaframe
