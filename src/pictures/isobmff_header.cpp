#include "pictures/isobmff_header.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "pictures/bmp_file.h"
#include "pictures/byte_reader.h"

namespace vexaframe {
namespace {

using namespace std::literals;

constexpr std::size_t kBoxHeaderSize = 8;  // size and type
constexpr std::size_t kLargeSizeSize = 8;
constexpr std::size_t kTypeSize = 4;
constexpr std::size_t kTypeAt = 4;
constexpr std::uint32_t kSizeToEnd = 0;
constexpr std::uint32_t kLargeSize = 1;
constexpr std::uint32_t kWideIndexFlag = 1;  // ipma: property indices of 15 bits, not 7
constexpr std::uint32_t kWideIndexMask = 0x7FFF;
constexpr std::uint32_t kNarrowIndexMask = 0x7F;

constexpr std::string_view kFileType = "ftyp"sv;

// One box: its four-character type and what follows its header.
struct Box {
    std::string_view type;
    std::string_view payload;
};

// The boxes laid one after another in a file or in a box's payload. A box whose size does not
// fit in what holds it ends the walk, failed; size 0 runs to the end of what holds it, size 1
// is followed by a 64-bit size.
class Boxes {
public:
    explicit Boxes(std::string_view bytes) : bytes_(bytes) {}

    std::optional<Box> Next() {
        if (bytes_.empty() || failed_) return std::nullopt;
        ByteReader reader(bytes_, ByteOrder::BigEndian);
        std::uint64_t size = reader.Unsigned32();
        const std::string_view type = reader.Take(kTypeSize);
        std::size_t headerSize = kBoxHeaderSize;
        if (size == kLargeSize) {
            const std::uint64_t high = reader.Unsigned32();
            size = high << 32 | reader.Unsigned32();
            headerSize += kLargeSizeSize;
        } else if (size == kSizeToEnd) {
            size = bytes_.size();
        }
        if (reader.Failed() || size < headerSize || size > bytes_.size()) {
            failed_ = true;
            return std::nullopt;
        }
        const auto length = static_cast<std::size_t>(size);
        const Box box{type, bytes_.substr(headerSize, length - headerSize)};
        bytes_.remove_prefix(length);
        return box;
    }

    bool Failed() const { return failed_; }

private:
    std::string_view bytes_;
    bool failed_ = false;
};

// The payload of a box that starts with a version and flags.
struct FullBox {
    std::uint32_t version = 0;
    std::uint32_t flags = 0;
    std::string_view body;
};

std::optional<FullBox> ReadFullBox(std::string_view payload) {
    ByteReader reader(payload, ByteOrder::BigEndian);
    const std::uint32_t version = reader.Byte();
    const std::uint32_t flags = reader.Byte() << 16 | reader.Unsigned16();
    if (reader.Failed()) return std::nullopt;
    return FullBox{version, flags, payload.substr(4)};
}

// The first box of each type the header needs among a payload's boxes, when all of them are
// whole.
template <std::size_t N>
std::optional<std::array<std::optional<std::string_view>, N>> FindBoxes(
    std::string_view payload, const std::array<std::string_view, N>& types) {
    std::array<std::optional<std::string_view>, N> found;
    Boxes boxes(payload);
    while (const std::optional<Box> box = boxes.Next()) {
        const auto type = std::ranges::find(types, box->type);
        if (type == types.end()) continue;
        std::optional<std::string_view>& slot =
            found[static_cast<std::size_t>(type - types.begin())];
        if (!slot) slot = box->payload;
    }
    if (boxes.Failed()) return std::nullopt;
    return found;
}

// ------------------------------------------------------------------------ the kind

enum class Brand { Hevc, Av1, Structural, Other };

Brand BrandOf(std::string_view brand) {
    constexpr std::array kHevc = {"heic"sv, "heix"sv, "heim"sv, "heis"sv, "hevc"sv, "hevx"sv};
    constexpr std::array kAv1 = {"avif"sv, "avis"sv};
    constexpr std::array kStructural = {"mif1"sv, "msf1"sv};
    if (std::ranges::find(kHevc, brand) != kHevc.end()) return Brand::Hevc;
    if (std::ranges::find(kAv1, brand) != kAv1.end()) return Brand::Av1;
    if (std::ranges::find(kStructural, brand) != kStructural.end()) return Brand::Structural;
    return Brand::Other;
}

// The brands of the file type box: the major brand first, then the compatible ones.
std::optional<std::vector<Brand>> ReadBrands(std::string_view fileType) {
    constexpr std::size_t kMinorVersionSize = 4;
    if (fileType.size() < kTypeSize + kMinorVersionSize) return std::nullopt;
    std::vector<Brand> brands{BrandOf(fileType.substr(0, kTypeSize))};
    for (std::size_t at = kTypeSize + kMinorVersionSize; at + kTypeSize <= fileType.size();
         at += kTypeSize)
        brands.push_back(BrandOf(fileType.substr(at, kTypeSize)));
    return brands;
}

bool Has(const std::vector<Brand>& brands, Brand brand) {
    return std::ranges::find(brands, brand) != brands.end();
}

// A coded picture is of its coding's kind where the brands allow that coding; a grid of coded
// tiles is of the kind the brands name first.
std::optional<PictureKind> KindOf(std::string_view itemType, const std::vector<Brand>& brands) {
    const bool structural = Has(brands, Brand::Structural);
    if (itemType == "hvc1"sv && (structural || Has(brands, Brand::Hevc))) return PictureKind::Heif;
    if (itemType == "av01"sv && (structural || Has(brands, Brand::Av1))) return PictureKind::Avif;
    if (itemType != "grid"sv) return std::nullopt;
    for (const Brand brand : brands) {
        if (brand == Brand::Hevc) return PictureKind::Heif;
        if (brand == Brand::Av1) return PictureKind::Avif;
    }
    return std::nullopt;
}

// ------------------------------------------------------------------------ the items

std::optional<std::uint32_t> PrimaryItem(std::string_view pitm) {
    const std::optional<FullBox> box = ReadFullBox(pitm);
    if (!box || box->version > 1) return std::nullopt;
    ByteReader reader(box->body, ByteOrder::BigEndian);
    const std::uint32_t item = box->version == 0 ? reader.Unsigned16() : reader.Unsigned32();
    if (reader.Failed()) return std::nullopt;
    return item;
}

struct ItemEntry {
    std::uint32_t id;
    std::string_view type;
};

// An item entry of version 2 or 3 (the earlier versions describe no pictures).
std::optional<ItemEntry> ReadItemEntry(std::string_view infe) {
    const std::optional<FullBox> box = ReadFullBox(infe);
    if (!box || box->version < 2 || box->version > 3) return std::nullopt;
    ByteReader reader(box->body, ByteOrder::BigEndian);
    const std::uint32_t id = box->version == 2 ? reader.Unsigned16() : reader.Unsigned32();
    reader.Skip(2);  // protection index
    const std::string_view type = reader.Take(kTypeSize);
    if (reader.Failed()) return std::nullopt;
    return ItemEntry{id, type};
}

// The first item entry of 'iinf' that `matches`, when all of them are whole.
template <typename Match>
std::optional<ItemEntry> FindItemEntry(std::string_view iinf, Match matches) {
    const std::optional<FullBox> box = ReadFullBox(iinf);
    if (!box) return std::nullopt;
    const std::size_t countSize = box->version == 0 ? 2 : 4;  // the entries' count, unused
    if (box->body.size() < countSize) return std::nullopt;
    std::optional<ItemEntry> found;
    Boxes entries(box->body.substr(countSize));
    while (const std::optional<Box> entry = entries.Next()) {
        if (entry->type != "infe"sv || found) continue;
        const std::optional<ItemEntry> item = ReadItemEntry(entry->payload);
        if (item && matches(*item)) found = item;
    }
    if (entries.Failed()) return std::nullopt;
    return found;
}

std::optional<std::string_view> ItemType(std::string_view iinf, std::uint32_t item) {
    const std::optional<ItemEntry> entry =
        FindItemEntry(iinf, [item](const ItemEntry& e) { return e.id == item; });
    if (!entry) return std::nullopt;
    return entry->type;
}

// A number of 0, 4 or 8 bytes, as 'iloc' sizes its fields.
std::uint64_t SizedNumber(ByteReader& reader, std::uint32_t size) {
    if (size == 0) return 0;
    const std::uint64_t high = size == 8 ? reader.Unsigned32() : 0;
    return high << 32 | reader.Unsigned32();
}

bool IsFieldSize(std::uint32_t size) {
    return size == 0 || size == 4 || size == 8;
}

// Where 'iloc' places the item: its one extent in the file itself (construction method 0,
// data reference 0).
std::optional<FileExtent> ItemExtent(std::string_view iloc, std::uint32_t item) {
    const std::optional<FullBox> box = ReadFullBox(iloc);
    if (!box || box->version > 2) return std::nullopt;
    ByteReader reader(box->body, ByteOrder::BigEndian);
    const std::uint32_t sizes = reader.Unsigned16();
    const std::uint32_t offsetSize = sizes >> 12, lengthSize = sizes >> 8 & 15;
    const std::uint32_t baseSize = sizes >> 4 & 15, indexSize = box->version > 0 ? sizes & 15 : 0;
    if (!IsFieldSize(offsetSize) || !IsFieldSize(lengthSize) || !IsFieldSize(baseSize) ||
        !IsFieldSize(indexSize))
        return std::nullopt;
    const std::uint32_t extentSize = indexSize + offsetSize + lengthSize;
    std::uint32_t items = box->version < 2 ? reader.Unsigned16() : reader.Unsigned32();
    for (; items > 0 && !reader.Failed(); --items) {
        const std::uint32_t id = box->version < 2 ? reader.Unsigned16() : reader.Unsigned32();
        const std::uint32_t method = box->version > 0 ? reader.Unsigned16() & 15 : 0;
        const std::uint32_t dataReference = reader.Unsigned16();
        const std::uint64_t base = SizedNumber(reader, baseSize);
        const std::uint32_t extents = reader.Unsigned16();
        std::uint64_t offset = 0;
        std::uint64_t length = 0;
        if (extents > 0) {
            SizedNumber(reader, indexSize);
            offset = SizedNumber(reader, offsetSize);
            length = SizedNumber(reader, lengthSize);
            reader.Skip(std::size_t{extentSize} * (extents - 1));
        }
        if (reader.Failed()) return std::nullopt;
        if (id != item) continue;
        if (method != 0 || dataReference != 0 || extents != 1) return std::nullopt;
        return FileExtent{base + offset, length};
    }
    return std::nullopt;
}

// ------------------------------------------------------------------------ the properties

// The indices (from 1) into the property container that an 'ipma' box associates with the
// item, in their order. Nothing where the box is damaged or does not name the item.
std::optional<std::vector<std::uint32_t>> AssociatedIndices(std::string_view ipma,
                                                            std::uint32_t item) {
    const std::optional<FullBox> box = ReadFullBox(ipma);
    if (!box) return std::nullopt;
    const bool wideIndex = (box->flags & kWideIndexFlag) != 0;
    ByteReader reader(box->body, ByteOrder::BigEndian);
    for (std::uint32_t entries = reader.Unsigned32(); entries > 0 && !reader.Failed(); --entries) {
        const std::uint32_t id = box->version < 1 ? reader.Unsigned16() : reader.Unsigned32();
        const std::uint32_t count = reader.Byte();
        std::vector<std::uint32_t> indices;
        for (std::uint32_t i = 0; i < count; ++i) {
            indices.push_back(wideIndex ? reader.Unsigned16() & kWideIndexMask
                                        : reader.Byte() & kNarrowIndexMask);
        }
        if (reader.Failed()) return std::nullopt;
        if (id == item) return indices;
    }
    return std::nullopt;
}

// The properties of the item as boxes, in the order of their association; the first 'ipma'
// entry for the item counts.
std::optional<std::vector<Box>> ItemProperties(std::string_view iprp, std::uint32_t item) {
    std::vector<Box> container;
    std::optional<std::vector<std::uint32_t>> indices;
    Boxes boxes(iprp);
    while (const std::optional<Box> box = boxes.Next()) {
        if (box->type == "ipco"sv && container.empty()) {
            Boxes properties(box->payload);
            while (const std::optional<Box> property = properties.Next())
                container.push_back(*property);
            if (properties.Failed()) return std::nullopt;
        } else if (box->type == "ipma"sv && !indices) {
            indices = AssociatedIndices(box->payload, item);
        }
    }
    if (boxes.Failed() || !indices) return std::nullopt;
    std::vector<Box> associated;
    for (const std::uint32_t index : *indices) {
        if (index == 0) continue;  // no property
        if (index > container.size()) return std::nullopt;
        associated.push_back(container[index - 1]);
    }
    return associated;
}

std::optional<PixelSize> SpatialExtent(std::string_view ispe) {
    const std::optional<FullBox> box = ReadFullBox(ispe);
    if (!box) return std::nullopt;
    ByteReader reader(box->body, ByteOrder::BigEndian);
    const std::uint32_t width = reader.Unsigned32();
    const std::uint32_t height = reader.Unsigned32();
    if (reader.Failed() || !bmp::IsWithinLimits(width, height)) return std::nullopt;
    return PixelSize{static_cast<int>(width), static_cast<int>(height)};
}

// ------------------------------------------------------------------------ the orientation

// Where a turn takes a step in the stored picture: (x, y) to (xx x + xy y, yx x + yy y), with
// y pointing down.
struct Turn {
    int xx, xy, yx, yy;
    friend bool operator==(Turn, Turn) = default;
};

Turn Then(Turn first, Turn next) {
    return {next.xx * first.xx + next.xy * first.yx, next.xx * first.xy + next.xy * first.yy,
            next.yx * first.xx + next.yy * first.yx, next.yx * first.xy + next.yy * first.yy};
}

// What TurnUpright does for each Exif orientation 1..8: nothing, mirror left to right, a half
// turn, flip upside down, transpose, a quarter turn clockwise, transpose across the other
// diagonal, a quarter turn anticlockwise.
constexpr std::array<Turn, 8> kExifTurns = {{
    {1, 0, 0, 1},
    {-1, 0, 0, 1},
    {-1, 0, 0, -1},
    {1, 0, 0, -1},
    {0, 1, 1, 0},
    {0, -1, 1, 0},
    {0, -1, -1, 0},
    {0, 1, -1, 0},
}};
constexpr Turn kUnturned = kExifTurns[0];
constexpr Turn kQuarterAnticlockwise = kExifTurns[7];
constexpr Turn kTopForBottom = kExifTurns[3];
constexpr Turn kLeftForRight = kExifTurns[1];

int ExifOrientationOf(Turn turn) {
    return static_cast<int>(std::ranges::find(kExifTurns, turn) - kExifTurns.begin()) + kUpright;
}

// 'irot': the low two bits count quarter turns anticlockwise.
std::optional<Turn> Rotation(std::string_view irot) {
    if (irot.empty()) return std::nullopt;
    Turn turn = kUnturned;
    for (int quarter = static_cast<std::uint8_t>(irot[0]) & 3; quarter > 0; --quarter)
        turn = Then(turn, kQuarterAnticlockwise);
    return turn;
}

// 'imir': the low bit 0 exchanges the top and bottom, 1 the left and right, as the cameras
// that write it and the libraries that read it agree.
std::optional<Turn> Mirror(std::string_view imir) {
    if (imir.empty()) return std::nullopt;
    return (static_cast<std::uint8_t>(imir[0]) & 1) == 0 ? kTopForBottom : kLeftForRight;
}

std::optional<PictureHeader> HeaderOf(PictureKind kind, const std::vector<Box>& properties) {
    std::optional<PixelSize> size;
    Turn turn = kUnturned;
    for (const Box& property : properties) {
        std::optional<Turn> step = kUnturned;
        if (property.type == "ispe"sv && !size) {
            size = SpatialExtent(property.payload);
            if (!size) return std::nullopt;
        } else if (property.type == "irot"sv) {
            step = Rotation(property.payload);
        } else if (property.type == "imir"sv) {
            step = Mirror(property.payload);
        }
        if (!step) return std::nullopt;
        turn = Then(turn, *step);
    }
    if (!size) return std::nullopt;
    return PictureHeader{kind, *size, ExifOrientationOf(turn), std::nullopt};
}

std::optional<PictureHeader> ReadMeta(std::string_view meta, const std::vector<Brand>& brands) {
    const std::optional<FullBox> box = ReadFullBox(meta);
    if (!box) return std::nullopt;
    const auto found = FindBoxes(box->body, std::array{"pitm"sv, "iinf"sv, "iprp"sv});
    if (!found) return std::nullopt;
    const auto& [pitm, iinf, iprp] = *found;
    if (!pitm || !iinf || !iprp) return std::nullopt;
    const std::optional<std::uint32_t> item = PrimaryItem(*pitm);
    if (!item) return std::nullopt;
    const std::optional<std::string_view> type = ItemType(*iinf, *item);
    if (!type) return std::nullopt;
    const std::optional<PictureKind> kind = KindOf(*type, brands);
    if (!kind) return std::nullopt;
    const std::optional<std::vector<Box>> properties = ItemProperties(*iprp, *item);
    if (!properties) return std::nullopt;
    return HeaderOf(*kind, *properties);
}

// The meta box's payload among the boxes after the file type box.
std::optional<std::string_view> FindMeta(Boxes& boxes) {
    while (const std::optional<Box> box = boxes.Next()) {
        if (box->type == "meta"sv) return box->payload;
    }
    return std::nullopt;
}

}  // namespace

bool StartsWithFileTypeBox(std::string_view bytes) {
    return bytes.substr(std::min(bytes.size(), kTypeAt), kTypeSize) == kFileType;
}

std::optional<PictureHeader> ReadIsobmffHeader(std::string_view bytes) {
    Boxes boxes(bytes);
    const std::optional<Box> fileType = boxes.Next();
    if (!fileType || fileType->type != kFileType) return std::nullopt;
    const std::optional<std::vector<Brand>> brands = ReadBrands(fileType->payload);
    if (!brands) return std::nullopt;
    const std::optional<std::string_view> meta = FindMeta(boxes);
    if (!meta) return std::nullopt;
    return ReadMeta(*meta, *brands);
}

std::optional<FileExtent> ExifItemExtent(std::string_view bytes) {
    Boxes boxes(bytes);
    const std::optional<Box> fileType = boxes.Next();
    if (!fileType || fileType->type != kFileType) return std::nullopt;
    const std::optional<std::string_view> meta = FindMeta(boxes);
    if (!meta) return std::nullopt;
    const std::optional<FullBox> box = ReadFullBox(*meta);
    if (!box) return std::nullopt;
    const auto found = FindBoxes(box->body, std::array{"iinf"sv, "iloc"sv});
    if (!found || !(*found)[0] || !(*found)[1]) return std::nullopt;
    const std::optional<ItemEntry> exif =
        FindItemEntry(*(*found)[0], [](const ItemEntry& e) { return e.type == "Exif"sv; });
    if (!exif) return std::nullopt;
    return ItemExtent(*(*found)[1], exif->id);
}

}  // namespace vexaframe
