#pragma once
#include <tuple>

#include "settings/settings.h"

namespace vexaframe {

// Every field of the settings, to compare whole.
inline auto Fields(const Settings& s) {
    return std::tuple(s.OrderMode, s.IntervalSeconds, s.TransparencyMode, s.KindEnabled,
                      s.ImageFolder, s.SubFolders, s.Caption);
}

}  // namespace vexaframe
