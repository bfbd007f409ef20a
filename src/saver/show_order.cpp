#include "saver/show_order.h"

#include "settings/image_order.h"

namespace vexaframe {

ShowOrder::ShowOrder(RunState& run) : run_(run), growing_(!Complete()), drawnUpTo_(0) {}

void ShowOrder::TakeListed() {
    if (Complete()) return;
    const bool ended = run_.listing->TakeListed(run_.catalogue);
    ExtendImageOrder(run_.catalogue.ImageCount, run_.ImageOrder);
    if (ended) run_.listing.reset();
}

std::int32_t ShowOrder::NumberAt(std::int32_t position) {
    const auto& order = run_.ImageOrder;
    if (position < 1 || static_cast<std::size_t>(position) >= order.size()) return 0;
    if (growing_ && position > drawnUpTo_) {
        if (position != drawnUpTo_ + 1) return 0;
        if (run_.settings.OrderMode != 0)
            DrawImageAt(position, run_.catalogue.ImageCount, run_.ImageOrder, run_.random);
        drawnUpTo_ = position;
    }
    return order[static_cast<std::size_t>(position)];
}

const std::string* ShowOrder::FileNumbered(std::int32_t number) const {
    if (number < 1 || static_cast<std::size_t>(number) > run_.catalogue.ImageFiles.size())
        return nullptr;
    return &run_.catalogue.ImageFile(number);
}

bool ShowOrder::EndCycleAfter(std::int32_t position) {
    if (position < run_.catalogue.ImageCount || !Complete()) return false;
    BuildImageOrder(run_.settings.OrderMode, run_.catalogue.ImageCount, run_.ImageOrder,
                    run_.random);
    growing_ = false;
    return true;
}

}  // namespace vexaframe
