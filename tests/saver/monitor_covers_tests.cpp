#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

#include "saver/monitor_covers.h"

namespace vexaframe {

// For the failure messages.
void PrintTo(const ScreenRect& r, std::ostream* out) {
    *out << r.left << "," << r.top << "-" << r.right << "," << r.bottom;
}

namespace {

using ::testing::UnorderedElementsAreArray;

constexpr ScreenRect kPrimary{0, 0, 1280, 1024};

// Every monitor but the primary is covered once. The saver window already hides what lies
// within the primary monitor, and a cover what lies within its own monitor: mirrors, duplicates
// and empty monitors get no cover of their own; the covers go below the saver window where they
// overlap it.
TEST(CoverAreasTest, EveryMonitorButThePrimaryIsCoveredOnceAndNoneWithinAnother) {
    const ScreenRect right{1280, 0, 2560, 1024}, left{-1920, -56, 0, 1024}, above{0, -768, 1024, 0},
        farRight{2560, 100, 3360, 700}, smallMirror{0, 0, 800, 600}, largeMirror{0, 0, 1920, 1080},
        withinRight{1280, 0, 2304, 768}, overlapping{1000, 0, 2280, 1024};
    const struct {
        const char* name;
        std::vector<Monitor> monitors;
        std::vector<ScreenRect> covers;
    } layouts[] = {
        {"alone", {{kPrimary, true}}, {}},
        {"side by side", {{kPrimary, true}, {right}}, {right}},
        {"primary listed last", {{right}, {kPrimary, true}}, {right}},
        {"left and above", {{left}, {above}, {kPrimary, true}}, {left, above}},
        {"three in a row", {{left}, {kPrimary, true}, {right}}, {left, right}},
        {"four", {{kPrimary, true}, {right}, {farRight}, {above}}, {right, farRight, above}},
        {"mirror", {{kPrimary, true}, {kPrimary}}, {}},
        {"smaller mirror", {{smallMirror}, {kPrimary, true}}, {}},
        {"larger mirror", {{kPrimary, true}, {largeMirror}}, {largeMirror}},
        {"same monitor twice", {{kPrimary, true}, {right}, {right}}, {right}},
        {"a mirror within another", {{withinRight}, {kPrimary, true}, {right}}, {right}},
        {"overlapping the primary", {{kPrimary, true}, {overlapping}}, {overlapping}},
        {"empty", {{kPrimary, true}, {{1280, 0, 1280, 1024}}, {{1280, 5, 1500, 0}}}, {}},
        {"none", {}, {}},
    };
    for (const auto& layout : layouts)
        EXPECT_THAT(CoverAreas(layout.monitors), UnorderedElementsAreArray(layout.covers))
            << layout.name;
}

}  // namespace
}  // namespace vexaframe
