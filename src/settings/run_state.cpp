#include "settings/run_state.h"

namespace vexaframe {

void LoadCatalogue(FileSystem& files, RunState& run, CatalogueUse use) {
    if (use == CatalogueUse::Show)
        StartCatalogueOfSettings(files, run.settings, run.catalogue, run.listing);
    else
        BuildCatalogueOfSettings(files, run.settings, run.catalogue);
}

}  // namespace vexaframe
