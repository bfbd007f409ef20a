#include "settings_dialog/win32_skin.h"

#include <algorithm>
#include <iterator>

#include "platform/win32_text.h"
#include "resource_ids.h"

namespace vexaframe {
namespace {

// 9.75 points at 96 dots an inch.
constexpr int kFontHeight = -13;
constexpr int kDescenderRoom = 8;
// The dialog's font, then proportional Japanese fonts of other systems that look like it.
constexpr const wchar_t* kFontNames[] = {L"ＭＳ Ｐゴシック", L"MS PGothic", L"Meiryo UI",
                                         L"Yu Gothic UI",    L"IPAPGothic", L"VL PGothic"};

int CALLBACK NoteFontFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool FontInstalled(const wchar_t* name) {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(wanted.lfFaceName, name, LF_FACESIZE);
    bool found = false;
    const WindowDC screen(nullptr);
    EnumFontFamiliesExW(screen.get(), &wanted, NoteFontFound, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

// Where none of the fonts is installed, the system picks one of the Japanese character set.
OwnedFont CreateDialogFont(bool underlined) {
    const auto* installed = std::ranges::find_if(kFontNames, FontInstalled);
    const wchar_t* name = installed != std::end(kFontNames) ? *installed : kFontNames[0];
    return OwnedFont(CreateFontW(kFontHeight, 0, 0, 0, FW_NORMAL, FALSE, underlined ? TRUE : FALSE,
                                 FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                 DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, name));
}

PixelSize SizeOf(HBITMAP bitmap) {
    BITMAP info{};
    if (bitmap == nullptr || GetObjectW(bitmap, sizeof info, &info) == 0) return {};
    return {info.bmWidth, info.bmHeight};
}

UINT FormatOf(TextAlign align) {
    switch (align) {
        case TextAlign::Centre:
            return DT_CENTER;
        case TextAlign::Right:
            return DT_RIGHT;
        default:
            return DT_LEFT;
    }
}

}  // namespace

void StretchBitmap(HDC target, HBITMAP source, PixelRect box) {
    const PixelSize size = SizeOf(source);
    if (size.width == 0) return;
    const OwnedMemoryDC memory(CreateCompatibleDC(target));
    if (!memory) return;
    const Selection selected(memory.get(), source);
    SetStretchBltMode(target, COLORONCOLOR);
    StretchBlt(target, box.left, box.top, box.width, box.height, memory.get(), 0, 0, size.width,
               size.height, SRCCOPY);
}

Win32Skin::Win32Skin()
    : checkOff_(LoadBitmapResource(VEXAFRAME_SKIN_CHECK_OFF)),
      checkOn_(LoadBitmapResource(VEXAFRAME_SKIN_CHECK_ON)),
      radioOff_(LoadBitmapResource(VEXAFRAME_SKIN_RADIO_OFF)),
      radioOn_(LoadBitmapResource(VEXAFRAME_SKIN_RADIO_ON)),
      button_(LoadBitmapResource(VEXAFRAME_SKIN_BUTTON)),
      buttonPressed_(LoadBitmapResource(VEXAFRAME_SKIN_BUTTON_PRESSED)),
      close_(LoadBitmapResource(VEXAFRAME_SKIN_CLOSE)),
      closePressed_(LoadBitmapResource(VEXAFRAME_SKIN_CLOSE_PRESSED)),
      titleStrip_(LoadBitmapResource(VEXAFRAME_SKIN_TITLE_STRIP)),
      headingTab_(LoadBitmapResource(VEXAFRAME_SKIN_HEADING_TAB)),
      panelTile_(LoadBitmapResource(VEXAFRAME_SKIN_PANEL_TILE)),
      pointer_(static_cast<HCURSOR>(LoadImageW(GetModuleHandleW(nullptr),
                                               MAKEINTRESOURCEW(VEXAFRAME_DIALOG_POINTER),
                                               IMAGE_CURSOR, 0, 0, LR_DEFAULTCOLOR))),
      icon_(
          static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(VEXAFRAME_ICON),
                                        IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR))),
      font_(CreateDialogFont(false)),
      linkFont_(CreateDialogFont(true)) {}

Win32Skin::~Win32Skin() {
    if (pointer_ != nullptr) DestroyCursor(pointer_);
    if (icon_ != nullptr) DestroyIcon(icon_);
}

HBITMAP Win32Skin::StoreBitmap(StorePicture picture) const {
    switch (picture) {
        case StorePicture::CheckOff:
            return checkOff_.get();
        case StorePicture::CheckOn:
            return checkOn_.get();
        case StorePicture::RadioOff:
            return radioOff_.get();
        case StorePicture::RadioOn:
            return radioOn_.get();
        case StorePicture::ButtonAtRest:
            return button_.get();
        case StorePicture::ButtonPressed:
            return buttonPressed_.get();
        case StorePicture::CloseAtRest:
            return close_.get();
        case StorePicture::ClosePressed:
            return closePressed_.get();
        default:
            return nullptr;
    }
}

// A picture shows at its own size from the box's corner, except the button faces, which
// stretch over the whole face.
void Win32Skin::DrawPicture(HDC target, StorePicture picture, PixelRect box) const {
    const HBITMAP bitmap = StoreBitmap(picture);
    if (bitmap == nullptr) return;
    const bool stretched =
        picture == StorePicture::ButtonAtRest || picture == StorePicture::ButtonPressed;
    const PixelSize size = SizeOf(bitmap);
    StretchBitmap(target, bitmap,
                  stretched ? box : PixelRect{box.left, box.top, size.width, size.height});
}

void Win32Skin::DrawTitleStrip(HDC target, PixelRect box) const {
    StretchBitmap(target, titleStrip_.get(), box);
}

void Win32Skin::DrawHeadingTab(HDC target, PixelRect box) const {
    const PixelSize size = SizeOf(headingTab_.get());
    StretchBitmap(target, headingTab_.get(), {box.left, box.top, size.width, size.height});
}

void Win32Skin::TilePanel(HDC target, PixelRect panel) const {
    const PixelSize tile = SizeOf(panelTile_.get());
    const int saved = SaveDC(target);
    IntersectClipRect(target, panel.left, panel.top, panel.Right(), panel.Bottom());
    for (const PixelPoint at : TileOrigins({panel.width, panel.height}, tile))
        StretchBitmap(target, panelTile_.get(),
                      {panel.left + at.x, panel.top + at.y, tile.width, tile.height});
    RestoreDC(target, saved);
}

void Win32Skin::DrawText(HDC target, std::string_view utf8, PixelRect box, COLORREF colour,
                         TextAlign align, bool underlined) const {
    std::wstring text = WideFromUtf8(utf8);
    // Cut at the label's sides, never through a line's descenders.
    RECT area{box.left, box.top, box.Right(), box.Bottom() + kDescenderRoom};
    const Selection selected(target, underlined ? linkFont_.get() : font_.get());
    SetBkMode(target, TRANSPARENT);
    SetTextColor(target, colour);
    ::DrawTextW(target, text.data(), static_cast<int>(text.size()), &area,
                FormatOf(align) | DT_SINGLELINE | DT_NOPREFIX);
}

void Win32Skin::DrawWrappedText(HDC target, std::string_view utf8, PixelRect box,
                                COLORREF colour) const {
    std::wstring text = WideFromUtf8(utf8);
    RECT area{box.left, box.top, box.Right(), box.Bottom()};
    const Selection selected(target, font_.get());
    SetBkMode(target, TRANSPARENT);
    SetTextColor(target, colour);
    // Japanese text has no spaces: a line may break between any two characters.
    ::DrawTextW(target, text.data(), static_cast<int>(text.size()), &area,
                DT_LEFT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
}

int Win32Skin::TextWidth(std::string_view utf8) const {
    const std::wstring text = WideFromUtf8(utf8);
    const WindowDC screen(nullptr);
    const Selection selected(screen.get(), font_.get());
    SIZE size{};
    GetTextExtentPoint32W(screen.get(), text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
}

}  // namespace vexaframe
