#pragma once
// A writer of placeable Windows metafiles: bold filled shapes in solid colours, which is all
// the vector samples need. Coordinates are 16-bit logical units, (0, 0) at the top left.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vexaframe::samples {

struct MetaPoint {
    std::int16_t x;
    std::int16_t y;
};

struct MetaRect {
    std::int16_t left;
    std::int16_t top;
    std::int16_t right;
    std::int16_t bottom;
};

// Record function numbers and placeable-header values, as the players know them.
namespace wmf {
inline constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
inline constexpr std::uint16_t kHeaderWords = 9;
inline constexpr std::uint16_t kVersion = 0x0300;

inline constexpr std::uint16_t kEof = 0x0000;
inline constexpr std::uint16_t kSetWindowOrg = 0x020B;
inline constexpr std::uint16_t kSetWindowExt = 0x020C;
inline constexpr std::uint16_t kSelectObject = 0x012D;
inline constexpr std::uint16_t kDeleteObject = 0x01F0;
inline constexpr std::uint16_t kCreatePenIndirect = 0x02FA;
inline constexpr std::uint16_t kCreateBrushIndirect = 0x02FC;
inline constexpr std::uint16_t kRectangle = 0x041B;
inline constexpr std::uint16_t kEllipse = 0x0418;
inline constexpr std::uint16_t kPolygon = 0x0324;
}  // namespace wmf

class Metafile {
public:
    // The picture spans (0, 0) to (width, height); its nominal size is that over `unitsPerInch`.
    Metafile(std::int16_t width, std::int16_t height, std::uint16_t unitsPerInch);

    // The fill and outline of the shapes that follow; colours are 0xRRGGBB. A width of 0 is
    // one device pixel at any scale.
    void SetFill(std::uint32_t rgb);
    void SetOutline(std::uint32_t rgb, std::int16_t width);

    void Rectangle(MetaRect bounds);
    void Ellipse(MetaRect bounds);
    void Polygon(std::span<const MetaPoint> points);

    // The whole file: placeable header, metafile header, the records and the end record.
    std::string Bytes() const;

private:
    // The object of one kind (brush or pen) currently selected.
    struct Selection {
        int slot = -1;  // in the player's object table; -1 while nothing is selected
        std::vector<std::uint16_t> parameters;  // of the record that created it
    };

    void Record(std::uint16_t function, const std::vector<std::uint16_t>& parameters);
    void Select(Selection& current, std::uint16_t createFunction,
                const std::vector<std::uint16_t>& parameters);
    int TakeSlot();

    std::int16_t width_;
    std::int16_t height_;
    std::uint16_t unitsPerInch_;
    std::vector<std::uint16_t> records_;
    std::uint32_t largestRecordWords_ = 0;
    std::vector<bool> slotsInUse_;
    Selection brush_;
    Selection pen_;
};

}  // namespace vexaframe::samples
