#pragma once
// What every mode of one run shares: the program's names and the values the entry owns for the
// run.

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/random.h"
#include "settings/catalogue.h"
#include "settings/catalogue_listing.h"
#include "settings/settings.h"

namespace vexaframe {

inline constexpr std::wstring_view kProgramTitle = L"Vexaframe";

// The captions of the saver window and the settings dialog double as single-instance markers.
inline constexpr std::string_view kSaverWindowTitle = "Vexaframe_S";
inline constexpr std::string_view kSettingsDialogTitle = "Vexaframe_P";

// The program-wide values of one run, owned by the entry.
struct RunState {
    explicit RunState(UniformRandom randomSource) : random(randomSource) {}

    Settings settings;
    Catalogue catalogue;
    std::vector<std::int32_t> ImageOrder;  // entries 1..ImageCount; entry 0 unused
    UniformRandom random;
    // While the catalogue is still being listed beside the show: the rest of its pictures.
    std::unique_ptr<CatalogueListing> listing;
};

// What the catalogue is loaded for: a show starts as soon as the listing has found a first
// picture; anything else waits for the whole catalogue.
enum class CatalogueUse { Whole, Show };

// The catalogue of the run's settings, for the use.
void LoadCatalogue(FileSystem& files, RunState& run, CatalogueUse use);

}  // namespace vexaframe
