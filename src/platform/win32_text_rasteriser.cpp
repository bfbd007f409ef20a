// Text through GDI in the message font of the user's settings: DrawTextW links in the fonts the
// system names for the characters that font lacks, and cuts the line with an ellipsis. Drawn
// white on black in grey antialiasing, so that any one channel is the coverage.

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "platform/text_rasteriser.h"
#include "platform/wide_text.h"
#include "platform/win32_handles.h"

namespace vexaframe {
namespace {

// The font of the system's message boxes, `pixelHeight` from its ascent to its descent.
OwnedFont MessageFont(int pixelHeight) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    LOGFONTW font{};
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        font = metrics.lfMessageFont;
    else
        wcscpy_s(font.lfFaceName, L"Segoe UI");
    font.lfHeight = pixelHeight;  // positive: the cell's height, not the em's
    font.lfWidth = font.lfEscapement = font.lfOrientation = 0;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = ANTIALIASED_QUALITY;
    return OwnedFont(CreateFontIndirectW(&font));
}

// A 32-bit top-down section of `width` by `height`, cleared to black.
OwnedBitmap BlackSection(HDC dc, int width, int height, const std::uint32_t*& pixels) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    OwnedBitmap section(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!section) return nullptr;
    std::memset(bits, 0, static_cast<std::size_t>(width) * height * 4);
    pixels = static_cast<const std::uint32_t*>(bits);
    return section;
}

class GdiRasteriser final : public TextRasteriser {
public:
    GdiRasteriser() : dc_(CreateCompatibleDC(nullptr)) {}

    TextMask Rasterise(std::string_view utf8, int pixelHeight, int maxWidth) override {
        if (utf8.empty() || pixelHeight < 1 || maxWidth < 1 || !dc_ || !UseHeight(pixelHeight))
            return {};
        const std::wstring text = DecodeUtf8(utf8);
        const int length = static_cast<int>(text.size());
        const Selection font(dc_.get(), font_.get());
        SIZE extent{};
        if (!GetTextExtentPoint32W(dc_.get(), text.data(), length, &extent)) return {};
        const int width = std::min<int>(extent.cx, maxWidth);
        const std::uint32_t* pixels = nullptr;
        const OwnedBitmap section = BlackSection(dc_.get(), width, pixelHeight, pixels);
        if (width < 1 || !section) return {};

        const Selection target(dc_.get(), section.get());
        SetTextColor(dc_.get(), RGB(255, 255, 255));
        SetBkMode(dc_.get(), TRANSPARENT);
        RECT line{0, 0, width, pixelHeight};
        DrawTextW(dc_.get(), text.data(), length, &line,
                  DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS | DT_LEFT | DT_TOP);
        GdiFlush();
        TextMask mask{width, pixelHeight, {}};
        mask.coverage.resize(static_cast<std::size_t>(width) * pixelHeight);
        std::transform(pixels, pixels + mask.coverage.size(), mask.coverage.begin(),
                       [](std::uint32_t pixel) { return static_cast<std::uint8_t>(pixel >> 8); });
        return mask;
    }

private:
    // The font made once for each height in a row.
    bool UseHeight(int pixelHeight) {
        if (fontHeight_ != pixelHeight) {
            font_ = MessageFont(pixelHeight);
            fontHeight_ = font_ ? pixelHeight : 0;
        }
        return font_ != nullptr;
    }

    OwnedMemoryDC dc_;
    OwnedFont font_;
    int fontHeight_ = 0;
};

}  // namespace

std::unique_ptr<TextRasteriser> MakeTextRasteriser() {
    return std::make_unique<GdiRasteriser>();
}

}  // namespace vexaframe
