#pragma once
// Where the program keeps its files on a desktop that follows the XDG base directories: the
// settings file under the configuration home, the staged picture under the cache home.

#include <functional>
#include <optional>
#include <string>

#include "settings/settings.h"

namespace vexaframe {

class FileSystem;

// The environment's values; empty when the variable is unset.
struct XdgEnvironment {
    std::string configHome;  // XDG_CONFIG_HOME
    std::string cacheHome;   // XDG_CACHE_HOME
    std::string home;        // HOME
};

// Makes a folder only this user can reach, for the staged picture; empty when it cannot.
using PrivateFolderMaker = std::function<std::string()>;

// <configHome>/vexaframe/Vexaframe.ini and <cacheHome>/vexaframe/Vexaframe.bmp, the homes
// falling back to $HOME/.config and $HOME/.cache. Relative values are ignored, as the XDG rules
// ask. The picture's folder is made here, since the picture is staged without asking; where it
// cannot be made or written, the picture goes to a folder `makePrivateFolder` makes, so that
// the saver still shows pictures. The settings file is only read. Nothing when no absolute
// folder is known for either file.
std::optional<SettingsLocation> XdgSettingsLocation(FileSystem& files,
                                                    const XdgEnvironment& environment,
                                                    const PrivateFolderMaker& makePrivateFolder);

}  // namespace vexaframe
