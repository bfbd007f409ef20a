#pragma once
// GIF files written byte by byte, for the loaders' tests. Every pixel is its own code after a
// clear code, so the codes stay one width and no string table is needed.

#include <cstdint>
#include <string>
#include <vector>

namespace vexaframe::forged {

struct GifFrame {
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<std::uint8_t> indices;  // in the order the file stores the rows
    int transparent = -1;
    bool interlaced = false;
};

inline void AppendLittleEndian16(std::string& bytes, int value) {
    bytes.push_back(static_cast<char>(value & 0xFF));
    bytes.push_back(static_cast<char>(value >> 8 & 0xFF));
}

// LZW data for a palette of four colours, in sub-blocks, with the minimum code size first.
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
    AppendLittleEndian16(bytes, screenWidth);
    AppendLittleEndian16(bytes, screenHeight);
    bytes += std::string{'\x81', static_cast<char>(background), '\0'};  // 4 colours
    bytes += std::string("\xFF\x00\x00\x00\xFF\x00\x00\x00\xFF\x00\x00\x00", 12);
    for (const GifFrame& frame : frames) {
        if (frame.transparent >= 0) {
            bytes += std::string("\x21\xF9\x04\x01\x00\x00", 6) +
                     static_cast<char>(frame.transparent) + '\0';
        }
        bytes += ',';
        for (const int value : {frame.left, frame.top, frame.width, frame.height})
            AppendLittleEndian16(bytes, value);
        bytes += frame.interlaced ? '\x40' : '\0';
        bytes += GifImageData(frame.indices);
    }
    return bytes + ';';
}

}  // namespace vexaframe::forged
