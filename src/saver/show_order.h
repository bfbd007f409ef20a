#pragma once
// Which picture the show takes at each position: the order of a cycle over the catalogue, built
// anew at the end of each cycle. A cycle that begins while the catalogue is still being listed
// grows with it; its random positions are drawn as they are reached, from the pictures listed so
// far that it has not shown, so that every picture still comes once a cycle.

#include <cstdint>
#include <string>

#include "settings/run_state.h"

namespace vexaframe {

class ShowOrder {
public:
    explicit ShowOrder(RunState& run);

    // Takes the pictures listed since into the catalogue and the growing cycle.
    void TakeListed();
    // Every picture of the catalogue is listed.
    bool Complete() const { return run_.listing == nullptr; }
    std::int32_t ImageCount() const { return run_.catalogue.ImageCount; }

    // The number of the picture at the position, which stays its picture for the cycle; 0
    // outside the catalogue or the order, or where the listing has not yet come.
    std::int32_t NumberAt(std::int32_t position);
    // The file of the picture; none for a number outside the catalogue.
    const std::string* FileNumbered(std::int32_t number) const;
    const std::string* FileAt(std::int32_t position) { return FileNumbered(NumberAt(position)); }
    // True when the position is the last of its cycle, and the listing has ended: the order is
    // then built anew, for a cycle that begins at position 1.
    bool EndCycleAfter(std::int32_t position);

private:
    RunState& run_;
    bool growing_;            // the cycle began before the listing ended
    std::int32_t drawnUpTo_;  // of a growing cycle's positions, those whose picture is fixed
};

}  // namespace vexaframe
