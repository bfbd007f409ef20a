#include "metafile.h"

#include <algorithm>
#include <iterator>

namespace vexaframe::samples {
namespace {

constexpr std::uint16_t kRecordHeaderWords = 3;  // 32-bit size in words, function number
constexpr std::uint16_t kSolidStyle = 0;         // BS_SOLID and PS_SOLID alike

std::uint16_t Word(std::int16_t value) {
    return static_cast<std::uint16_t>(value);
}

// A COLORREF is the bytes red, green, blue, 0: two words.
std::vector<std::uint16_t> ColourWords(std::uint32_t rgb) {
    const auto red = static_cast<std::uint16_t>((rgb >> 16) & 0xFF);
    const auto green = static_cast<std::uint16_t>((rgb >> 8) & 0xFF);
    const auto blue = static_cast<std::uint16_t>(rgb & 0xFF);
    return {static_cast<std::uint16_t>(red | green << 8), blue};
}

// Rectangles are stored bottom, right, top, left: parameters go in reverse order.
std::vector<std::uint16_t> RectWords(MetaRect r) {
    return {Word(r.bottom), Word(r.right), Word(r.top), Word(r.left)};
}

void AppendWord(std::string& bytes, std::uint16_t value) {
    bytes.push_back(static_cast<char>(value & 0xFF));
    bytes.push_back(static_cast<char>(value >> 8));
}

void AppendDword(std::string& bytes, std::uint32_t value) {
    AppendWord(bytes, static_cast<std::uint16_t>(value & 0xFFFF));
    AppendWord(bytes, static_cast<std::uint16_t>(value >> 16));
}

}  // namespace

Metafile::Metafile(std::int16_t width, std::int16_t height, std::uint16_t unitsPerInch)
    : width_(width), height_(height), unitsPerInch_(unitsPerInch) {
    // Players map the bounding box onto the window; stating it keeps them in agreement.
    Record(wmf::kSetWindowOrg, {0, 0});
    Record(wmf::kSetWindowExt, {Word(height), Word(width)});
}

void Metafile::SetFill(std::uint32_t rgb) {
    std::vector<std::uint16_t> logBrush = {kSolidStyle};
    std::ranges::copy(ColourWords(rgb), std::back_inserter(logBrush));
    logBrush.push_back(0);  // hatch
    Select(brush_, wmf::kCreateBrushIndirect, logBrush);
}

void Metafile::SetOutline(std::uint32_t rgb, std::int16_t width) {
    std::vector<std::uint16_t> logPen = {kSolidStyle, Word(width), 0};
    std::ranges::copy(ColourWords(rgb), std::back_inserter(logPen));
    Select(pen_, wmf::kCreatePenIndirect, logPen);
}

void Metafile::Rectangle(MetaRect bounds) {
    Record(wmf::kRectangle, RectWords(bounds));
}

void Metafile::Ellipse(MetaRect bounds) {
    Record(wmf::kEllipse, RectWords(bounds));
}

void Metafile::Polygon(std::span<const MetaPoint> points) {
    std::vector<std::uint16_t> parameters = {static_cast<std::uint16_t>(points.size())};
    for (MetaPoint p : points) {
        parameters.push_back(Word(p.x));
        parameters.push_back(Word(p.y));
    }
    Record(wmf::kPolygon, parameters);
}

std::string Metafile::Bytes() const {
    const std::uint32_t eofWords = kRecordHeaderWords;
    const auto fileWords =
        static_cast<std::uint32_t>(wmf::kHeaderWords + records_.size() + eofWords);

    std::string bytes;
    AppendDword(bytes, wmf::kPlaceableKey);
    AppendWord(bytes, 0);  // handle, filled in by the player
    for (std::int16_t edge : {std::int16_t{0}, std::int16_t{0}, width_, height_}) {
        AppendWord(bytes, Word(edge));
    }
    AppendWord(bytes, unitsPerInch_);
    AppendDword(bytes, 0);  // reserved
    std::uint16_t checksum = 0;
    for (std::size_t at = 0; at < bytes.size(); at += 2) {
        checksum ^= static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[at]) |
                                               static_cast<std::uint8_t>(bytes[at + 1]) << 8);
    }
    AppendWord(bytes, checksum);

    AppendWord(bytes, 1);  // type "in memory", as every writer puts it
    AppendWord(bytes, wmf::kHeaderWords);
    AppendWord(bytes, wmf::kVersion);
    AppendDword(bytes, fileWords);
    AppendWord(bytes, static_cast<std::uint16_t>(slotsInUse_.size()));
    AppendDword(bytes, std::max(largestRecordWords_, eofWords));
    AppendWord(bytes, 0);  // unused

    for (std::uint16_t word : records_) AppendWord(bytes, word);
    AppendDword(bytes, eofWords);
    AppendWord(bytes, wmf::kEof);
    return bytes;
}

void Metafile::Record(std::uint16_t function, const std::vector<std::uint16_t>& parameters) {
    const auto words = static_cast<std::uint32_t>(kRecordHeaderWords + parameters.size());
    largestRecordWords_ = std::max(largestRecordWords_, words);
    records_.push_back(static_cast<std::uint16_t>(words & 0xFFFF));
    records_.push_back(static_cast<std::uint16_t>(words >> 16));
    records_.push_back(function);
    records_.insert(records_.end(), parameters.begin(), parameters.end());
}

// Creates the new object before deleting the old one, so an object is never deleted while
// it is selected; the player puts each new object in the lowest free slot, and so do we.
void Metafile::Select(Selection& current, std::uint16_t createFunction,
                      const std::vector<std::uint16_t>& parameters) {
    if (current.slot >= 0 && current.parameters == parameters) return;
    const int slot = TakeSlot();
    Record(createFunction, parameters);
    Record(wmf::kSelectObject, {static_cast<std::uint16_t>(slot)});
    if (current.slot >= 0) {
        Record(wmf::kDeleteObject, {static_cast<std::uint16_t>(current.slot)});
        slotsInUse_[static_cast<std::size_t>(current.slot)] = false;
    }
    current = {slot, parameters};
}

int Metafile::TakeSlot() {
    const auto free = std::ranges::find(slotsInUse_, false);
    const auto slot = static_cast<std::size_t>(free - slotsInUse_.begin());
    if (free == slotsInUse_.end()) {
        slotsInUse_.push_back(true);
    } else {
        *free = true;
    }
    return static_cast<int>(slot);
}

}  // namespace vexaframe::samples
