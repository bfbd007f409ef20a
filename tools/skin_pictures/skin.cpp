#include "skin.h"

#include "pictures.h"
#include "pictures/bmp_file.h"

namespace vexaframe::skin {

std::vector<SkinFile> DrawSkin() {
    return {
        {"title_strip.bmp", EncodeBmp24(TitleStrip())},
        {"close.bmp", EncodeBmp24(CloseButton())},
        {"close_pressed.bmp", EncodeBmp24(CloseButtonPressed())},
        {"button.bmp", EncodeBmp24(ButtonFace())},
        {"button_pressed.bmp", EncodeBmp24(ButtonFacePressed())},
        {"heading_tab.bmp", EncodeBmp24(HeadingTab())},
        {"check_off.bmp", EncodeBmp24(CheckBox(false))},
        {"check_on.bmp", EncodeBmp24(CheckBox(true))},
        {"radio_off.bmp", EncodeBmp24(RadioButton(false))},
        {"radio_on.bmp", EncodeBmp24(RadioButton(true))},
        {"panel_tile.bmp", EncodeBmp24(PanelTile())},
        {"vexaframe.ico", EncodeIcon(ProgramIcon())},
        {"dialog_pointer.cur", EncodeCursor(PointerHand(), kPointerHotspot)},
    };
}

}  // namespace vexaframe::skin
