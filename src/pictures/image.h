#pragma once
// A picture in memory, as the picture loader, the bitmap files and the renderer exchange it.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vexaframe {

// The alpha bits of a pixel that hides what lies behind it.
inline constexpr std::uint32_t kOpaque = 0xFF000000;

struct PixelSize {
    int width = 0, height = 0;
    friend bool operator==(PixelSize, PixelSize) = default;
};

// Rows top to bottom, each pixel 0xAARRGGBB: the memory layout of a 32-bit top-down DIB,
// so a loaded picture's pixels can be copied over as they are.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    Image() = default;
    Image(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h) {}

    std::uint32_t& At(int x, int y) { return pixels[Index(x, y)]; }
    std::uint32_t At(int x, int y) const { return pixels[Index(x, y)]; }

private:
    std::size_t Index(int x, int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
               static_cast<std::size_t>(x);
    }
};

}  // namespace vexaframe
