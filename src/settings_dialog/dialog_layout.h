#pragma once
// Where everything of the settings dialog lies, in pixels of the window's client area. The
// layout was designed in twips, 15 to the pixel; the table keeps the designed numbers.

#include <array>
#include <cstdint>
#include <vector>

#include "pictures/image.h"
#include "settings/catalogue.h"

namespace vexaframe {

struct PixelPoint {
    int x = 0, y = 0;
    friend bool operator==(PixelPoint, PixelPoint) = default;
};

struct PixelRect {
    int left = 0, top = 0, width = 0, height = 0;

    int Right() const { return left + width; }
    int Bottom() const { return top + height; }
    bool Contains(PixelPoint point) const {
        return point.x >= left && point.x < Right() && point.y >= top && point.y < Bottom();
    }
    friend bool operator==(PixelRect, PixelRect) = default;
};

inline constexpr int kTwipsPerPixel = 15;

// A rectangle designed in twips inside a container at `origin` (pixels in the window).
constexpr PixelRect FromTwips(PixelPoint origin, int left, int top, int width, int height) {
    return {origin.x + left / kTwipsPerPixel, origin.y + top / kTwipsPerPixel,
            width / kTwipsPerPixel, height / kTwipsPerPixel};
}

namespace layout {

inline constexpr PixelPoint kWindowOrigin{0, 0};
inline constexpr PixelRect kBody = FromTwips(kWindowOrigin, 0, 300, 7275, 5535);
inline constexpr PixelPoint kBodyOrigin{kBody.left, kBody.top};
inline constexpr PixelRect kFilePanel = FromTwips(kBodyOrigin, 180, 180, 4635, 4815);
inline constexpr PixelRect kOptionsPanel = FromTwips(kBodyOrigin, 5040, 180, 1935, 3495);
inline constexpr PixelPoint kFilesOrigin{kFilePanel.left, kFilePanel.top};
inline constexpr PixelPoint kOptionsOrigin{kOptionsPanel.left, kOptionsPanel.top};

// The window: as wide as the body, and as tall as the body and the 20 pixels above it.
inline constexpr PixelSize kWindowSize{kBody.width, kBody.height + kBody.top};

inline constexpr PixelRect kTitleStrip = FromTwips(kWindowOrigin, 0, 0, 7275, 330);
inline constexpr PixelPoint kTitle{180 / kTwipsPerPixel, 60 / kTwipsPerPixel};
inline constexpr PixelRect kCloseButton = FromTwips(kWindowOrigin, 6960, 60, 225, 225);

inline constexpr PixelRect kFileList = FromTwips(kFilesOrigin, 180, 1020, 2535, 3180);
inline constexpr PixelRect kFileCount = FromTwips(kFilesOrigin, 1680, 660, 495, 255);
inline constexpr PixelPoint kPictureUnit{kFilesOrigin.x + 2220 / kTwipsPerPixel,
                                         kFilesOrigin.y + 720 / kTwipsPerPixel};  // "枚"
// The folder, and beside it whether its sub-folders are searched too.
inline constexpr PixelRect kFolderLabel = FromTwips(kFilesOrigin, 180, 4320, 3135, 255);
inline constexpr PixelRect kPreviewSize = FromTwips(kFilesOrigin, 2880, 540, 1515, 195);
inline constexpr PixelRect kPreview = FromTwips(kFilesOrigin, 2880, 780, 1500, 1500);  // 100 x 100

// Section headings: the tab picture, and its caption's box.
struct Heading {
    PixelRect tab;
    PixelRect caption;
};
inline constexpr std::array<Heading, 6> kHeadings{{
    {FromTwips(kFilesOrigin, 180, 120, 1425, 330), FromTwips(kFilesOrigin, 180, 180, 1425, 195)},
    {FromTwips(kFilesOrigin, 2880, 120, 1425, 330), FromTwips(kFilesOrigin, 2880, 180, 1425, 195)},
    {FromTwips(kFilesOrigin, 2880, 2460, 1425, 330),
     FromTwips(kFilesOrigin, 2880, 2520, 1425, 195)},
    {FromTwips(kOptionsOrigin, 180, 120, 1425, 330),
     FromTwips(kOptionsOrigin, 180, 180, 1425, 255)},
    {FromTwips(kOptionsOrigin, 180, 1200, 1425, 330),
     FromTwips(kOptionsOrigin, 180, 1260, 1425, 255)},
    {FromTwips(kOptionsOrigin, 180, 2160, 1425, 330),
     FromTwips(kOptionsOrigin, 180, 2220, 1425, 255)},
}};

// Push buttons: the face picture, and the caption label that takes the mouse.
struct Button {
    PixelRect face;
    PixelRect caption;
};
inline constexpr std::array<Button, 4> kButtons{{
    {FromTwips(kFilesOrigin, 180, 600, 1425, 300), FromTwips(kFilesOrigin, 180, 660, 1425, 255)},
    {FromTwips(kFilesOrigin, 2880, 3900, 1425, 300),
     FromTwips(kFilesOrigin, 2880, 3960, 1425, 255)},
    {FromTwips(kBodyOrigin, 5520, 4260, 1425, 300), FromTwips(kBodyOrigin, 5520, 4320, 1425, 255)},
    {FromTwips(kBodyOrigin, 5520, 4620, 1425, 300), FromTwips(kBodyOrigin, 5520, 4680, 1425, 255)},
}};

// Options: the box or radio picture, and where its caption starts (captions size themselves).
struct Option {
    PixelRect box;
    PixelPoint caption;
};
constexpr Option OptionAt(PixelPoint panel, int boxLeft, int captionLeft, int top, int side) {
    return {FromTwips(panel, boxLeft, top, side, side),
            {panel.x + captionLeft / kTwipsPerPixel, panel.y + top / kTwipsPerPixel}};
}
// The kinds in two columns of four, the first below the heading's left edge.
inline constexpr std::array<Option, kKindCount> kKinds{
    OptionAt(kFilesOrigin, 2880, 3120, 2880, 180), OptionAt(kFilesOrigin, 2880, 3120, 3120, 180),
    OptionAt(kFilesOrigin, 2880, 3120, 3360, 180), OptionAt(kFilesOrigin, 2880, 3120, 3600, 180),
    OptionAt(kFilesOrigin, 3780, 4020, 2880, 180), OptionAt(kFilesOrigin, 3780, 4020, 3120, 180),
    OptionAt(kFilesOrigin, 3780, 4020, 3360, 180), OptionAt(kFilesOrigin, 3780, 4020, 3600, 180)};
inline constexpr std::array<Option, 1> kSubFolders{OptionAt(kFilesOrigin, 3375, 3615, 4350, 180)};
// Below the options panel, in line with its options: whether pictures show their caption.
inline constexpr std::array<Option, 1> kCaption{OptionAt(kBodyOrigin, 5400, 5640, 3840, 180)};
inline constexpr std::array<Option, 2> kOrders{OptionAt(kOptionsOrigin, 360, 600, 540, 195),
                                               OptionAt(kOptionsOrigin, 360, 600, 780, 195)};
inline constexpr std::array<Option, 3> kTransparencies{
    OptionAt(kOptionsOrigin, 360, 600, 2580, 195), OptionAt(kOptionsOrigin, 360, 600, 2820, 195),
    OptionAt(kOptionsOrigin, 360, 600, 3060, 195)};

inline constexpr PixelRect kIntervalSpinner = FromTwips(kOptionsOrigin, 360, 1620, 255, 375);
inline constexpr PixelPoint kIntervalText{kOptionsOrigin.x + 720 / kTwipsPerPixel,
                                          kOptionsOrigin.y + 1740 / kTwipsPerPixel};
inline constexpr PixelPoint kCredit{kBodyOrigin.x + 180 / kTwipsPerPixel,
                                    kBodyOrigin.y + 5100 / kTwipsPerPixel};
inline constexpr PixelPoint kLink{kBodyOrigin.x + 2760 / kTwipsPerPixel,
                                  kBodyOrigin.y + 5100 / kTwipsPerPixel};

}  // namespace layout

// Centred across the screen, and a third of the free height down from its top; each offset
// rounds toward zero.
PixelPoint DialogPosition(PixelSize screen);

struct Rgb {
    std::uint8_t red = 0, green = 0, blue = 0;
    friend bool operator==(Rgb, Rgb) = default;
};

// The body's background, row by row: dark blue at the top and bottom, light grey-blue in
// the middle. One colour for each row 0..height (the last row lies just below the body).
std::vector<Rgb> BodyGradient(int height);

// Where copies of a tile go to cover a panel: column by column, each from the top down. The
// last row and column may reach past the panel.
std::vector<PixelPoint> TileOrigins(PixelSize panel, PixelSize tile);

// A picture fitted into 100 x 100 pixels, keeping its proportions; small ones grow.
PixelSize FitPreview(PixelSize picture);

// The file list's horizontal scroll range: its width and 300 pixels more.
int ListHorizontalExtent();

}  // namespace vexaframe
