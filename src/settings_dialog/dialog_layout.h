#pragma once
// Where everything of the settings dialog lies, in pixels of the window's client area. The
// layout was designed in twips, 15 to the pixel; the table keeps the designed numbers.

#include <array>
#include <cstdint>
#include <vector>

namespace vexaframe {

struct PixelPoint {
    int x = 0, y = 0;
    friend bool operator==(PixelPoint, PixelPoint) = default;
};

struct PixelSize {
    int width = 0, height = 0;
    friend bool operator==(PixelSize, PixelSize) = default;
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

inline constexpr PixelPoint kWindow{0, 0};
inline constexpr PixelRect Pic_C = FromTwips(kWindow, 0, 300, 7275, 5535);  // body
inline constexpr PixelPoint kBody{Pic_C.left, Pic_C.top};
inline constexpr PixelRect FilePanel = FromTwips(kBody, 180, 180, 4635, 4815);      // Pic_1 (1)
inline constexpr PixelRect OptionsPanel = FromTwips(kBody, 5040, 180, 1935, 3495);  // Pic_1 (0)
inline constexpr PixelPoint kFiles{FilePanel.left, FilePanel.top};
inline constexpr PixelPoint kOptions{OptionsPanel.left, OptionsPanel.top};

// The window: as wide as the body, and as tall as the body and the 20 pixels above it.
inline constexpr PixelSize kWindowSize{Pic_C.width, Pic_C.height + Pic_C.top};

inline constexpr PixelRect Image1 = FromTwips(kWindow, 0, 0, 7275, 330);  // title strip
inline constexpr PixelPoint kTitle{180 / kTwipsPerPixel, 60 / kTwipsPerPixel};
inline constexpr PixelRect ImgExit = FromTwips(kWindow, 6960, 60, 225, 225);

inline constexpr PixelRect List_1 = FromTwips(kFiles, 180, 1020, 2535, 3180);
inline constexpr PixelRect lbl_Kei = FromTwips(kFiles, 1680, 660, 495, 255);
inline constexpr PixelPoint kPictureUnit{kFiles.x + 2220 / kTwipsPerPixel,
                                         kFiles.y + 720 / kTwipsPerPixel};  // "枚"
inline constexpr PixelRect Folder_Path = FromTwips(kFiles, 180, 4320, 4215, 255);
inline constexpr PixelRect lbl_PreSize = FromTwips(kFiles, 2880, 540, 1515, 195);
inline constexpr PixelRect Pic_K = FromTwips(kFiles, 2880, 780, 1500, 1500);  // 100 x 100

// Section headings: the tab picture, and its caption's box.
struct Heading {
    PixelRect tab;
    PixelRect caption;
};
inline constexpr std::array<Heading, 6> Img_H{{
    {FromTwips(kFiles, 180, 120, 1425, 330), FromTwips(kFiles, 180, 180, 1425, 195)},
    {FromTwips(kFiles, 2880, 120, 1425, 330), FromTwips(kFiles, 2880, 180, 1425, 195)},
    {FromTwips(kFiles, 2880, 2460, 1425, 330), FromTwips(kFiles, 2880, 2520, 1425, 195)},
    {FromTwips(kOptions, 180, 120, 1425, 330), FromTwips(kOptions, 180, 180, 1425, 255)},
    {FromTwips(kOptions, 180, 1200, 1425, 330), FromTwips(kOptions, 180, 1260, 1425, 255)},
    {FromTwips(kOptions, 180, 2160, 1425, 330), FromTwips(kOptions, 180, 2220, 1425, 255)},
}};

// Push buttons: the face picture, and the caption label that takes the mouse.
struct Button {
    PixelRect face;
    PixelRect caption;
};
inline constexpr std::array<Button, 4> Img_Button{{
    {FromTwips(kFiles, 180, 600, 1425, 300), FromTwips(kFiles, 180, 660, 1425, 255)},
    {FromTwips(kFiles, 2880, 3900, 1425, 300), FromTwips(kFiles, 2880, 3960, 1425, 255)},
    {FromTwips(kBody, 5520, 4260, 1425, 300), FromTwips(kBody, 5520, 4320, 1425, 255)},
    {FromTwips(kBody, 5520, 4620, 1425, 300), FromTwips(kBody, 5520, 4680, 1425, 255)},
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
inline constexpr std::array<Option, 4> Img_Kind{
    OptionAt(kFiles, 3120, 3360, 2880, 180), OptionAt(kFiles, 3120, 3360, 3120, 180),
    OptionAt(kFiles, 3120, 3360, 3360, 180), OptionAt(kFiles, 3120, 3360, 3600, 180)};
inline constexpr std::array<Option, 2> Img_SR{OptionAt(kOptions, 360, 600, 540, 195),
                                              OptionAt(kOptions, 360, 600, 780, 195)};
inline constexpr std::array<Option, 3> Img_Tomei{OptionAt(kOptions, 360, 600, 2580, 195),
                                                 OptionAt(kOptions, 360, 600, 2820, 195),
                                                 OptionAt(kOptions, 360, 600, 3060, 195)};

inline constexpr PixelRect HS_Interval = FromTwips(kOptions, 360, 1620, 255, 375);
inline constexpr PixelPoint lbl_Sec{kOptions.x + 720 / kTwipsPerPixel,
                                    kOptions.y + 1740 / kTwipsPerPixel};
inline constexpr PixelPoint kCredit{kBody.x + 180 / kTwipsPerPixel,
                                    kBody.y + 5100 / kTwipsPerPixel};
inline constexpr PixelPoint lbl_URL{kBody.x + 2760 / kTwipsPerPixel,
                                    kBody.y + 5100 / kTwipsPerPixel};

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
