#pragma once
// The settings dialog's skin, each picture at the size the dialog uses it. One look for all:
// deep-blue glass for the window's chrome, brushed silver for the panels, silver glass for
// the controls on them.

#include "canvas.h"
#include "icon_file.h"
#include "pictures/image.h"

namespace vexaframe::skin {

// The title strip, stretched across the window, and the close button drawn on it.
Image TitleStrip();
Image CloseButton();
Image CloseButtonPressed();

// The panels' tile and what sits on it.
Image PanelTile();
Image HeadingTab();
Image CheckBox(bool ticked);
Image RadioButton(bool selected);

// Push buttons: stretched across, so only their first and last columns differ.
Image ButtonFace();
Image ButtonFacePressed();

// The program's icon and the pointer over the dialog's controls.
Image ProgramIcon();
Image PointerHand();
inline constexpr Hotspot kPointerHotspot{12, 1};  // the index finger's tip

// The dialog copies the small pictures without transparency, so their corners take the
// colour of what lies beneath them.
Colour StripColour(double y);  // the title strip's colour at height y
Colour TileColour();           // the panel tile's average

}  // namespace vexaframe::skin
