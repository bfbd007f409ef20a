// The texture from a 4000 x 3000 bitmap file, against reading the file alone; the whole texture
// should take well under a second.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "pictures/bmp_file.h"
#include "pictures/texture_picture.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;
constexpr int kRepetitions = 7;

// Smooth shades with some noise, as a photograph has.
vexaframe::Image Photograph() {
    vexaframe::Image image(kWidth, kHeight);
    std::mt19937 random(7);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const auto noise = static_cast<std::uint32_t>(random() & 0x0F0F0F);
            image.At(x, y) = (static_cast<std::uint32_t>(x * 255 / kWidth) << 16 |
                              static_cast<std::uint32_t>(y * 255 / kHeight) << 8) +
                             noise;
        }
    }
    return image;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::string bytes(static_cast<std::size_t>(fs::file_size(path)), '\0');
    file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

// The median of the runs after a first one that warms the caches.
double MedianMilliseconds(const std::function<bool()>& run) {
    std::vector<double> times;
    bool ok = run();
    for (int i = 0; i < kRepetitions; ++i) {
        const Clock::time_point start = Clock::now();
        ok = run() && ok;
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    if (!ok) std::printf("failed\n");
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

bool MakesTexture(const fs::path& path, vexaframe::TextureLimits limits, int side) {
    const std::optional<vexaframe::Image> texture =
        vexaframe::TextureFromBitmapFile(ReadFile(path), limits);
    return texture && texture->width == side && texture->height == side;
}

}  // namespace

int main() {
    const fs::path path =
        fs::temp_directory_path() /
        ("vexaframe-texture-benchmark-" + std::to_string(std::random_device{}()) + ".bmp");
    std::ofstream(path, std::ios::binary) << vexaframe::EncodeBmp24(Photograph());
    const std::string bytes = ReadFile(path);

    const double read = MedianMilliseconds([&] { return !ReadFile(path).empty(); });
    const double decode =
        MedianMilliseconds([&] { return vexaframe::DecodeBmp(bytes).has_value(); });
    const double enlarged = MedianMilliseconds([&] {
        return MakesTexture(path, {8192, true}, 4096);
    });
    const double shrunk = MedianMilliseconds([&] {
        return MakesTexture(path, {2048, true}, 2048);
    });
    std::error_code ignored;
    fs::remove(path, ignored);

    std::printf("file: %d x %d, 24 bits, %.1f MB\n", kWidth, kHeight, bytes.size() / 1e6);
    std::printf("read the file (median):                 %7.1f ms\n", read);
    std::printf("decode it, in memory (median):          %7.1f ms  (%.2f x read)\n", decode,
                decode / read);
    std::printf("texture 4096 x 4096, read included:     %7.1f ms  (%.2f x read)\n", enlarged,
                enlarged / read);
    std::printf("texture 2048 x 2048 (clamped), read in: %7.1f ms  (%.2f x read)\n", shrunk,
                shrunk / read);
    return 0;
}
