#include "settings_dialog/dialog_controls.h"

#include <algorithm>

#include "settings/catalogue.h"
#include "settings_dialog/settings_dialog.h"

namespace vexaframe {
namespace {

constexpr int kTextHeight = 13;  // one line of the 9.75-point font

template <std::size_t N>
void AddOptions(std::vector<HitArea>& areas, DialogControl control,
                const std::array<layout::Option, N>& options,
                const std::array<std::string_view, N>& captions, const TextWidth& textWidth) {
    for (std::size_t i = 0; i < N; ++i) {
        const int index = static_cast<int>(i);
        areas.push_back({control, index, CaptionBox(options[i].caption, captions[i], textWidth)});
        areas.push_back({control, index, options[i].box});
    }
}

}  // namespace

PixelRect CaptionBox(PixelPoint start, std::string_view text, const TextWidth& textWidth) {
    return {start.x, start.y, textWidth(text), kTextHeight};
}

std::vector<HitArea> DialogHitAreas(const TextWidth& textWidth) {
    std::vector<HitArea> areas;
    areas.push_back({DialogControl::Close, 0, layout::kCloseButton});
    for (std::size_t i = 0; i < layout::kButtons.size(); ++i)
        areas.push_back({DialogControl::Button, static_cast<int>(i), layout::kButtons[i].caption});
    AddOptions(areas, DialogControl::Kind, layout::kKinds, kKindCaptions, textWidth);
    AddOptions(areas, DialogControl::SubFolders, layout::kSubFolders, dialog_text::kSubFolders,
               textWidth);
    AddOptions(areas, DialogControl::Caption, layout::kCaption, dialog_text::kCaption, textWidth);
    AddOptions(areas, DialogControl::Order, layout::kOrders, dialog_text::kOrders, textWidth);
    AddOptions(areas, DialogControl::Transparency, layout::kTransparencies,
               dialog_text::kTransparencies, textWidth);
    areas.push_back(
        {DialogControl::Link, 0, CaptionBox(layout::kLink, dialog_text::kAddress, textWidth)});
    areas.push_back({DialogControl::TitleStrip, 0, layout::kTitleStrip});
    return areas;
}

std::optional<HitArea> ControlAt(const std::vector<HitArea>& areas, PixelPoint point) {
    const auto found = std::ranges::find_if(
        areas, [point](const HitArea& area) { return area.rect.Contains(point); });
    if (found == areas.end()) return std::nullopt;
    return *found;
}

bool ShowsDialogPointer(DialogControl control) {
    return control != DialogControl::TitleStrip;
}

}  // namespace vexaframe
