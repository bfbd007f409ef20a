#pragma once
// Which control of the settings dialog the mouse is over. Captions lie above the pictures
// they caption and take the mouse where they cover them; captions that size themselves to
// their text cover just that text.

#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "settings_dialog/dialog_layout.h"

namespace vexaframe {

enum class DialogControl {
    TitleStrip,    // drags the window
    Close,         // the close picture
    Button,        // index 0..3
    Kind,          // box or caption, index 0..7
    SubFolders,    // box or caption
    Caption,       // box or caption
    Order,         // index 0..1
    Transparency,  // index 0..2
    Link,
};

struct HitArea {
    DialogControl control;
    int index = 0;
    PixelRect rect;
};

// The width in pixels of a text in the dialog's font (the link's underline changes none).
using TextWidth = std::function<int(std::string_view)>;

// Topmost first.
std::vector<HitArea> DialogHitAreas(const TextWidth& textWidth);

std::optional<HitArea> ControlAt(const std::vector<HitArea>& areas, PixelPoint point);

// The controls that show the dialog's own pointer (the list and the spinner show it too).
bool ShowsDialogPointer(DialogControl control);

// The box a caption that sizes itself to its text covers, from where it starts.
PixelRect CaptionBox(PixelPoint start, std::string_view text, const TextWidth& textWidth);

}  // namespace vexaframe
