#include "saver/monitor_covers.h"

#include <algorithm>

namespace vexaframe {
namespace {

long long Area(const ScreenRect& rect) {
    return static_cast<long long>(rect.right - rect.left) * (rect.bottom - rect.top);
}

}  // namespace

bool ScreenRect::Contains(const ScreenRect& other) const {
    return left <= other.left && top <= other.top && other.right <= right && other.bottom <= bottom;
}

// The primary first, as the saver window covers it whatever the others are; then the larger
// monitors first, so that one lying within another is seen to be hidden already.
std::vector<ScreenRect> CoverAreas(std::span<const Monitor> monitors) {
    std::vector<Monitor> sorted(monitors.begin(), monitors.end());
    std::ranges::stable_sort(sorted, [](const Monitor& a, const Monitor& b) {
        if (a.isPrimary != b.isPrimary) return a.isPrimary;
        return Area(a.area) > Area(b.area);
    });
    std::vector<ScreenRect> hidden;
    std::vector<ScreenRect> covers;
    for (const Monitor& monitor : sorted) {
        if (monitor.area.IsEmpty()) continue;
        if (std::ranges::any_of(hidden,
                                [&](const ScreenRect& h) { return h.Contains(monitor.area); }))
            continue;
        hidden.push_back(monitor.area);
        if (!monitor.isPrimary) covers.push_back(monitor.area);
    }
    return covers;
}

ScreenPoint OnVirtualScreen(ScreenPoint origin, ScreenPoint inWindow) {
    return {origin.x + inWindow.x, origin.y + inWindow.y};
}

}  // namespace vexaframe
