#include "pictures/exif_data.h"

#include <cstddef>
#include <cstdint>

#include "pictures/byte_reader.h"

namespace vexaframe {
namespace {

using namespace std::literals;

constexpr std::string_view kExifSignature = "Exif\0\0"sv;
constexpr std::uint32_t kTiffMagic = 42;
constexpr std::uint32_t kOrientationTag = 0x0112;
constexpr std::uint32_t kExifDirectoryTag = 0x8769;
constexpr std::uint32_t kDateTimeOriginalTag = 0x9003;
constexpr std::uint32_t kAsciiType = 2;
constexpr std::uint32_t kShortType = 3;
constexpr std::uint32_t kLongType = 4;
constexpr std::uint32_t kDirectoryType = 13;
constexpr std::size_t kValueFieldSize = 4;
constexpr int kLastOrientation = 8;
constexpr std::size_t kItemOffsetSize = 4;

// One entry of a directory: its tag, the type and count of its values, and the field that holds
// them or, where they take more than its four bytes, their offset in the structure.
struct Entry {
    std::uint32_t tag;
    std::uint32_t type;
    std::uint32_t count;
    std::string_view field;
};

// The TIFF structure: its byte order and where its main directory lies.
class Tiff {
public:
    // Nothing for bytes that do not start as a TIFF structure does.
    static std::optional<Tiff> Open(std::string_view bytes) {
        ByteOrder order = ByteOrder::LittleEndian;
        if (bytes.starts_with("MM")) {
            order = ByteOrder::BigEndian;
        } else if (!bytes.starts_with("II")) {
            return std::nullopt;
        }
        ByteReader reader(bytes, order);
        reader.Skip(2);  // the byte order
        const std::uint32_t magic = reader.Unsigned16();
        const std::uint32_t mainDirectory = reader.Unsigned32();
        if (reader.Failed() || magic != kTiffMagic) return std::nullopt;
        return Tiff(bytes, order, mainDirectory);
    }

    std::uint32_t MainDirectory() const { return mainDirectory_; }

    // Visits the entries of the directory at the offset in their order, until `visit` returns
    // false or the entries end or are cut short.
    template <typename Visit>
    void VisitDirectory(std::uint32_t offset, Visit visit) const {
        ByteReader reader(bytes_, order_);
        reader.MoveTo(offset);
        for (std::uint32_t entries = reader.Unsigned16(); entries > 0; --entries) {
            const std::uint32_t tag = reader.Unsigned16();
            const std::uint32_t type = reader.Unsigned16();
            const std::uint32_t count = reader.Unsigned32();
            const std::string_view field = reader.Take(kValueFieldSize);
            if (reader.Failed() || !visit(Entry{tag, type, count, field})) return;
        }
    }

    // The first value of the field, of 16 or 32 bits.
    std::uint32_t Short(std::string_view field) const {
        return ByteReader(field, order_).Unsigned16();
    }
    std::uint32_t Long(std::string_view field) const {
        return ByteReader(field, order_).Unsigned32();
    }

    // The entry's values of one byte each: in its field where they fit, else where it points;
    // empty where they pass the end.
    std::string_view Bytes(const Entry& entry) const {
        if (entry.count <= kValueFieldSize) return entry.field.substr(0, entry.count);
        ByteReader reader(bytes_, order_);
        reader.MoveTo(Long(entry.field));
        return reader.Take(entry.count);
    }

private:
    Tiff(std::string_view bytes, ByteOrder order, std::uint32_t mainDirectory)
        : bytes_(bytes), order_(order), mainDirectory_(mainDirectory) {}

    std::string_view bytes_;
    ByteOrder order_;
    std::uint32_t mainDirectory_;
};

int OrientationOf(const Tiff& tiff, const Entry& entry) {
    const auto value = static_cast<int>(tiff.Short(entry.field));
    const bool valid = entry.type == kShortType && entry.count == 1 && value >= kUpright &&
                       value <= kLastOrientation;
    return valid ? value : kUpright;
}

std::optional<std::uint32_t> DirectoryOffset(const Tiff& tiff, const Entry& entry) {
    if ((entry.type != kLongType && entry.type != kDirectoryType) || entry.count != 1)
        return std::nullopt;
    return tiff.Long(entry.field);
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The moment in Exif's form "YYYY:MM:DD HH:MM:SS", up to the text's first NUL. Nothing for any
// other text, such as the blanks or zeros of a camera that did not know the time.
std::optional<CalendarTime> ParseMoment(std::string_view text) {
    constexpr std::string_view kForm = "0000:00:00 00:00:00";
    text = text.substr(0, text.find('\0'));
    if (text.size() != kForm.size()) return std::nullopt;
    for (std::size_t at = 0; at < kForm.size(); ++at) {
        const bool fits = kForm[at] == '0' ? IsDigit(text[at]) : text[at] == kForm[at];
        if (!fits) return std::nullopt;
    }
    const auto number = [text](std::size_t at, std::size_t digits) {
        int value = 0;
        for (const char digit : text.substr(at, digits)) value = value * 10 + (digit - '0');
        return value;
    };
    const CalendarTime moment{number(0, 4),  number(5, 2),  number(8, 2),
                              number(11, 2), number(14, 2), number(17, 2)};
    if (!IsValid(moment)) return std::nullopt;
    return moment;
}

std::optional<CalendarTime> MomentOf(const Tiff& tiff, const Entry& entry) {
    if (entry.type != kAsciiType) return std::nullopt;
    return ParseMoment(tiff.Bytes(entry));
}

// The Exif directory's DateTimeOriginal; its first entry of the tag counts.
std::optional<CalendarTime> DateTaken(const Tiff& tiff, std::uint32_t exifDirectory) {
    std::optional<CalendarTime> taken;
    tiff.VisitDirectory(exifDirectory, [&](const Entry& entry) {
        if (entry.tag != kDateTimeOriginalTag) return true;
        taken = MomentOf(tiff, entry);
        return false;
    });
    return taken;
}

}  // namespace

ExifData ReadTiffExif(std::string_view bytes) {
    ExifData data;
    const std::optional<Tiff> tiff = Tiff::Open(bytes);
    if (!tiff) return data;
    bool orientationFound = false;
    std::optional<std::uint32_t> exifDirectory;
    tiff->VisitDirectory(tiff->MainDirectory(), [&](const Entry& entry) {
        if (entry.tag == kOrientationTag && !orientationFound) {
            orientationFound = true;
            data.orientation = OrientationOf(*tiff, entry);
        } else if (entry.tag == kExifDirectoryTag && !exifDirectory) {
            exifDirectory = DirectoryOffset(*tiff, entry);
        }
        return true;
    });
    // An Exif directory that is the main one again is damage, not a second directory.
    if (exifDirectory && *exifDirectory != tiff->MainDirectory())
        data.taken = DateTaken(*tiff, *exifDirectory);
    return data;
}

ExifData ReadExifSegment(std::string_view app1Payload) {
    if (!app1Payload.starts_with(kExifSignature)) return {};
    return ReadTiffExif(app1Payload.substr(kExifSignature.size()));
}

ExifData ReadExifBlock(std::string_view payload) {
    return payload.starts_with(kExifSignature) ? ReadExifSegment(payload) : ReadTiffExif(payload);
}

ExifData ReadExifItem(std::string_view item) {
    ByteReader reader(item, ByteOrder::BigEndian);
    const std::uint32_t offset = reader.Unsigned32();
    if (reader.Failed() || offset > item.size() - kItemOffsetSize) return {};
    return ReadExifBlock(item.substr(kItemOffsetSize + offset));
}

}  // namespace vexaframe
