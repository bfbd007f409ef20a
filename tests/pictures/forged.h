#pragma once
// JPEG headers, Exif data, GIF, PNG and WebP files written byte by byte, as the formats lay them
// out, for the tests of the header check, the Exif reader and the loaders.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace vexaframe::forged {

inline constexpr std::uint8_t kSof0 = 0xC0;
inline constexpr std::uint8_t kSof2 = 0xC2;
inline constexpr std::uint8_t kDht = 0xC4;
inline constexpr std::uint8_t kDac = 0xCC;
inline constexpr std::uint8_t kSos = 0xDA;
inline constexpr std::uint8_t kDqt = 0xDB;
inline constexpr std::uint8_t kApp0 = 0xE0;
inline constexpr std::uint8_t kApp1 = 0xE1;
inline constexpr std::uint16_t kOrientationTag = 0x0112;
inline constexpr std::uint16_t kShort = 3;
inline constexpr std::uint16_t kLong = 4;
inline constexpr std::uint16_t kAscii = 2;

inline void AppendNumber(std::string& bytes, std::uint32_t value, int size,
                         bool bigEndian = false) {
    for (int i = 0; i < size; ++i) {
        const int byte = bigEndian ? size - 1 - i : i;
        bytes.push_back(static_cast<char>(value >> (8 * byte)));
    }
}

inline std::string BigEndian16(std::uint32_t value) {
    std::string bytes;
    AppendNumber(bytes, value, 2, true);
    return bytes;
}

// A marker segment: FF, the marker, the length (which counts itself) and the payload.
inline std::string Segment(std::uint8_t marker, const std::string& payload) {
    return std::string{'\xFF', static_cast<char>(marker)} +
           BigEndian16(static_cast<std::uint32_t>(payload.size() + 2)) + payload;
}

// A start of frame for three 8-bit components.
inline std::string StartOfFrame(std::uint8_t marker, std::uint32_t width, std::uint32_t height) {
    return Segment(marker, "\x08" + BigEndian16(height) + BigEndian16(width) + "\x03" +
                               std::string("\x01\x22\x00\x02\x11\x01\x03\x11\x01", 9));
}

// SOI and the segments; what follows the header does not matter to a header check.
inline std::string Jpeg(std::initializer_list<std::string> segments) {
    std::string bytes = "\xFF\xD8";
    for (const std::string& segment : segments) bytes += segment;
    return bytes + Segment(kSos, std::string("\x01\x01\x00\x00\x3F\x00", 6)) + "\x12\x34\xFF\xD9";
}

struct TiffEntry {
    std::uint16_t tag;
    std::uint16_t type;
    std::uint32_t count;
    std::uint32_t value;  // a SHORT value fills the field's first two bytes
};

// An APP1 payload: "Exif\0\0", the TIFF header ("II" or "MM", 42, the main directory's offset)
// and that directory, written right after the header whatever `directoryAt` says.
inline std::string ExifPayload(bool bigEndian, const std::vector<TiffEntry>& entries,
                               std::uint32_t directoryAt = 8) {
    std::string tiff = bigEndian ? "MM" : "II";
    AppendNumber(tiff, 42, 2, bigEndian);
    AppendNumber(tiff, directoryAt, 4, bigEndian);
    AppendNumber(tiff, static_cast<std::uint32_t>(entries.size()), 2, bigEndian);
    for (const TiffEntry& entry : entries) {
        AppendNumber(tiff, entry.tag, 2, bigEndian);
        AppendNumber(tiff, entry.type, 2, bigEndian);
        AppendNumber(tiff, entry.count, 4, bigEndian);
        const bool isShort = entry.type == kShort;
        AppendNumber(tiff, entry.value, isShort ? 2 : 4, bigEndian);
        if (isShort) AppendNumber(tiff, 0, 2, bigEndian);
    }
    AppendNumber(tiff, 0, 4, bigEndian);  // no further directory
    return std::string("Exif\0\0", 6) + tiff;
}

// The Exif data of a camera: a few other tags around the Orientation.
inline std::string CameraExif(int orientation, bool bigEndian) {
    return ExifPayload(
        bigEndian, {{0x010F, kAscii, 4, 0x00414243},  // the maker, short enough to fit the entry
                    {kOrientationTag, kShort, 1, static_cast<std::uint32_t>(orientation)},
                    {0x011A, 5, 1, 0x26}});  // resolution, at an offset
}

// The JPEG file with an Exif segment right after its SOI marker.
inline std::string WithExifOrientation(const std::string& jpeg, int orientation, bool bigEndian) {
    return jpeg.substr(0, 2) + Segment(kApp1, CameraExif(orientation, bigEndian)) + jpeg.substr(2);
}

inline constexpr std::uint16_t kExifDirectoryTag = 0x8769;
inline constexpr std::uint16_t kDateTimeOriginalTag = 0x9003;

// The Exif data of a photograph taken at `moment` (Exif's "YYYY:MM:DD HH:MM:SS"): the TIFF
// header, the main directory with the Orientation and the Exif directory's offset (38, right
// after it, unless `exifAt` says otherwise), the Exif directory with DateTimeOriginal, and the
// text with its NUL.
inline std::string DatedTiff(const std::string& moment, bool bigEndian, int orientation = 1,
                             std::uint32_t exifAt = 38) {
    constexpr std::uint32_t kTextAt = 38 + 2 + 12 + 4;
    std::string tiff =
        ExifPayload(bigEndian,
                    {{kOrientationTag, kShort, 1, static_cast<std::uint32_t>(orientation)},
                     {kExifDirectoryTag, kLong, 1, exifAt}})
            .substr(6);
    AppendNumber(tiff, 1, 2, bigEndian);
    for (const std::uint32_t value : {std::uint32_t{kDateTimeOriginalTag}, std::uint32_t{kAscii}})
        AppendNumber(tiff, value, 2, bigEndian);
    AppendNumber(tiff, static_cast<std::uint32_t>(moment.size() + 1), 4, bigEndian);
    AppendNumber(tiff, kTextAt, 4, bigEndian);
    AppendNumber(tiff, 0, 4, bigEndian);  // no further directory
    return tiff + moment + '\0';
}

inline std::string DatedExif(const std::string& moment, bool bigEndian, int orientation = 1) {
    return std::string("Exif\0\0", 6) + DatedTiff(moment, bigEndian, orientation);
}

struct GifFrame {
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<std::uint8_t> indices;  // in the order the file stores the rows
    int transparent = -1;
    bool interlaced = false;
};

// LZW data for a palette of four colours, in sub-blocks, with the minimum code size first. Every
// pixel is its own code after a clear code, so the codes stay one width.
inline std::string GifImageData(const std::vector<std::uint8_t>& indices) {
    constexpr int kMinimumCodeSize = 2, kClear = 4, kEnd = 5, kCodeWidth = 3;
    std::vector<int> codes;
    for (const std::uint8_t index : indices) codes.insert(codes.end(), {kClear, index});
    codes.push_back(kEnd);
    std::string packed;
    std::uint32_t bits = 0;
    int count = 0;
    for (const int code : codes) {
        bits |= static_cast<std::uint32_t>(code) << count;
        for (count += kCodeWidth; count >= 8; count -= 8, bits >>= 8)
            packed.push_back(static_cast<char>(bits & 0xFF));
    }
    if (count > 0) packed.push_back(static_cast<char>(bits & 0xFF));
    std::string data(1, static_cast<char>(kMinimumCodeSize));
    for (std::size_t at = 0; at < packed.size(); at += 255) {
        const std::string block = packed.substr(at, 255);
        data += static_cast<char>(block.size()) + block;
    }
    return data + '\0';
}

// A GIF89a file: a logical screen with a global palette of red, green, blue and black, and the
// frames, each after its graphic control block when it has a transparent colour.
inline std::string Gif(int screenWidth, int screenHeight, int background,
                       const std::vector<GifFrame>& frames) {
    std::string bytes = "GIF89a";
    AppendNumber(bytes, static_cast<std::uint32_t>(screenWidth), 2);
    AppendNumber(bytes, static_cast<std::uint32_t>(screenHeight), 2);
    bytes += std::string{'\x81', static_cast<char>(background), '\0'};  // 4 colours
    bytes += std::string("\xFF\x00\x00\x00\xFF\x00\x00\x00\xFF\x00\x00\x00", 12);
    for (const GifFrame& frame : frames) {
        if (frame.transparent >= 0) {
            bytes += std::string("\x21\xF9\x04\x01\x00\x00", 6) +
                     static_cast<char>(frame.transparent) + '\0';
        }
        bytes += ',';
        for (const int value : {frame.left, frame.top, frame.width, frame.height})
            AppendNumber(bytes, static_cast<std::uint32_t>(value), 2);
        bytes += frame.interlaced ? '\x40' : '\0';
        bytes += GifImageData(frame.indices);
    }
    return bytes + ';';
}

inline std::string BigEndian32(std::uint32_t value) {
    std::string bytes;
    AppendNumber(bytes, value, 4, true);
    return bytes;
}

// The CRC of PNG chunks (ISO 3309), a bit at a time.
inline std::uint32_t Crc32(std::string_view bytes) {
    std::uint32_t crc = 0xFFFFFFFF;
    for (const char byte : bytes) {
        crc ^= static_cast<std::uint8_t>(byte);
        for (int bit = 0; bit < 8; ++bit) crc = crc >> 1 ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

// A PNG chunk: the data's length, the type, the data and the CRC of type and data.
inline std::string PngChunk(const std::string& type, const std::string& data) {
    return BigEndian32(static_cast<std::uint32_t>(data.size())) + type + data +
           BigEndian32(Crc32(type + data));
}

inline constexpr std::string_view kPngSignature{"\x89PNG\r\n\x1A\n", 8};

struct PngHeader {
    std::uint32_t width = 0, height = 0;
    std::uint8_t depth = 8, colourType = 6, compression = 0, filter = 0, interlace = 0;
};

inline std::string PngHeaderChunk(const PngHeader& header) {
    return PngChunk(
        "IHDR",
        BigEndian32(header.width) + BigEndian32(header.height) +
            std::string{static_cast<char>(header.depth), static_cast<char>(header.colourType),
                        static_cast<char>(header.compression), static_cast<char>(header.filter),
                        static_cast<char>(header.interlace)});
}

// zlib data in stored deflate blocks, which any inflater takes as they are.
inline std::string StoredZlib(const std::string& data) {
    constexpr std::size_t kLongestBlock = 0xFFFF;
    std::string zlib = "\x78\x01";
    std::size_t at = 0;
    do {
        const std::string block = data.substr(at, kLongestBlock);
        at += block.size();
        zlib += at == data.size() ? '\x01' : '\x00';  // the last block, or not
        AppendNumber(zlib, static_cast<std::uint32_t>(block.size()), 2);
        AppendNumber(zlib, static_cast<std::uint32_t>(~block.size() & 0xFFFF), 2);
        zlib += block;
    } while (at < data.size());
    std::uint32_t a = 1, b = 0;  // Adler-32
    for (const char byte : data) {
        a = (a + static_cast<std::uint8_t>(byte)) % 65521;
        b = (b + a) % 65521;
    }
    return zlib + BigEndian32(b << 16 | a);
}

// An 8-bit RGBA PNG file of pixels 0xAARRGGBB (rows top-down, `width` a row, unfiltered), with
// `chunks` between IHDR and IDAT.
inline std::string RgbaPng(int width, const std::vector<std::uint32_t>& pixels,
                           const std::vector<std::string>& chunks = {}) {
    std::string rows;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        if (i % static_cast<std::size_t>(width) == 0) rows += '\0';  // no filter
        for (const int shift : {16, 8, 0, 24}) rows += static_cast<char>(pixels[i] >> shift);
    }
    const auto height = static_cast<std::uint32_t>(pixels.size() / static_cast<std::size_t>(width));
    std::string png =
        std::string(kPngSignature) + PngHeaderChunk({static_cast<std::uint32_t>(width), height});
    for (const std::string& chunk : chunks) png += chunk;
    return png + PngChunk("IDAT", StoredZlib(rows)) + PngChunk("IEND", "");
}

// The PNG file with a chunk right after its header chunk.
inline std::string WithPngChunk(const std::string& png, const std::string& chunk) {
    constexpr std::size_t kHeaderChunkEnd = 8 + 4 + 4 + 13 + 4;
    return png.substr(0, kHeaderChunkEnd) + chunk + png.substr(kHeaderChunkEnd);
}

// A RIFF chunk, padded to an even size.
inline std::string WebpChunk(const std::string& fourcc, const std::string& payload) {
    std::string chunk = fourcc;
    AppendNumber(chunk, static_cast<std::uint32_t>(payload.size()), 4);
    chunk += payload;
    if (payload.size() % 2 != 0) chunk += '\0';
    return chunk;
}

// The RIFF form WEBP around the chunks.
inline std::string Webp(const std::vector<std::string>& chunks) {
    std::string body = "WEBP";
    for (const std::string& chunk : chunks) body += chunk;
    std::string riff = "RIFF";
    AppendNumber(riff, static_cast<std::uint32_t>(body.size()), 4);
    return riff + body;
}

// The start of a lossy key frame: the frame tag (shown, with the first partition's length),
// the start code and the sides; then a little of the frame.
inline std::string Vp8Frame(std::uint32_t width, std::uint32_t height) {
    std::string frame;
    AppendNumber(frame, 0x10 | 20u << 5, 3);
    frame += "\x9D\x01\x2A";
    AppendNumber(frame, width, 2);
    AppendNumber(frame, height, 2);
    return frame + std::string(20, '\x55');
}

// The start of a lossless picture: the signature, the sides less one and the flags.
inline std::string Vp8lHeader(std::uint32_t width, std::uint32_t height,
                              std::uint32_t version = 0) {
    std::string header = "\x2F";
    AppendNumber(header, (width - 1) | (height - 1) << 14 | version << 29, 4);
    return header + std::string(8, '\x33');
}

inline constexpr std::uint8_t kVp8xAnimation = 0x02, kVp8xExif = 0x08;

// The extended header: the flags and the canvas's sides less one.
inline std::string Vp8xPayload(std::uint8_t flags, std::uint32_t width, std::uint32_t height) {
    std::string payload{static_cast<char>(flags), '\0', '\0', '\0'};
    AppendNumber(payload, width - 1, 3);
    AppendNumber(payload, height - 1, 3);
    return payload;
}

// A WebP file of the simple form in the extended one, with Exif data after the picture's chunk.
inline std::string WithWebpExif(const std::string& simpleWebp, std::uint32_t width,
                                std::uint32_t height, const std::string& exif) {
    return Webp({WebpChunk("VP8X", Vp8xPayload(kVp8xExif, width, height)), simpleWebp.substr(12),
                 WebpChunk("EXIF", exif)});
}

}  // namespace vexaframe::forged
