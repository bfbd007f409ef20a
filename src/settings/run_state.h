#pragma once
// What every mode of one run shares: the program's names, the command line it was started
// with, and the values the entry owns for the run.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/random.h"
#include "settings/catalogue.h"
#include "settings/settings.h"

namespace vexaframe {

inline constexpr std::wstring_view kProgramTitle = L"Vexaframe";

// The captions of the saver window and the settings dialog double as single-instance markers.
inline constexpr std::string_view kSaverWindowTitle = "Vexaframe_S";
inline constexpr std::string_view kSettingsDialogTitle = "Vexaframe_P";

// The program-wide values of one run, owned by the entry.
struct RunState {
    explicit RunState(std::string argumentText, UniformRandom randomSource)
        : ArgumentText(std::move(argumentText)), random(randomSource) {}

    const std::string ArgumentText;  // UTF-8, as the command line gave it
    Settings settings;
    Catalogue catalogue;
    std::vector<std::int16_t> ImageOrder;  // entries 1..ImageCount; entry 0 unused
    int CursorCount = 0;                   // the cursor display counter after our last change
    UniformRandom random;
};

}  // namespace vexaframe
