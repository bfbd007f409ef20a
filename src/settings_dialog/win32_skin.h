#pragma once
// The settings dialog's skin on Windows: the pictures, the pointer, the icon and the fonts,
// from the program's resources, and the few ways they are drawn.

#include <windows.h>

#include <string_view>

#include "platform/win32_handles.h"
#include "settings_dialog/dialog_layout.h"
#include "settings_dialog/settings_dialog.h"

namespace vexaframe {

enum class TextAlign { Left, Centre, Right };

class Win32Skin {
public:
    Win32Skin();
    ~Win32Skin();
    Win32Skin(const Win32Skin&) = delete;
    Win32Skin& operator=(const Win32Skin&) = delete;

    HCURSOR DialogPointer() const { return pointer_; }
    HICON Icon() const { return icon_; }
    HFONT Font() const { return font_.get(); }

    // A picture of the store, stretched to `box`; nothing for StorePicture::None.
    void DrawPicture(HDC target, StorePicture picture, PixelRect box) const;
    void DrawTitleStrip(HDC target, PixelRect box) const;
    void DrawHeadingTab(HDC target, PixelRect box) const;
    // Covers the panel with copies of the tile, column by column.
    void TilePanel(HDC target, PixelRect panel) const;

    void DrawText(HDC target, std::string_view utf8, PixelRect box, COLORREF colour,
                  TextAlign align, bool underlined = false) const;
    // Lines broken to the box's width, from its top left; what goes past its bottom is cut.
    void DrawWrappedText(HDC target, std::string_view utf8, PixelRect box, COLORREF colour) const;
    // The width of a text in the dialog's font.
    int TextWidth(std::string_view utf8) const;

private:
    HBITMAP StoreBitmap(StorePicture picture) const;

    OwnedBitmap checkOff_, checkOn_, radioOff_, radioOn_, button_, buttonPressed_, close_,
        closePressed_, titleStrip_, headingTab_, panelTile_;
    HCURSOR pointer_;
    HICON icon_;
    OwnedFont font_;
    OwnedFont linkFont_;
};

// Copies `source` stretched into `box` of `target`.
void StretchBitmap(HDC target, HBITMAP source, PixelRect box);

}  // namespace vexaframe
