// One picture change as the saver makes it, from a 4000 x 3000 JPEG to the device's texture by
// way of the bitmap file, against decoding the JPEG alone.

#include <windows.h>
// windows.h first: this needs its types.
#include <objbase.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "median.h"
#include "pictures/bmp_file.h"
#include "pictures/picture_loader.h"
#include "pictures/texture_picture.h"
#include "render/software_device.h"

namespace {

namespace fs = std::filesystem;
using namespace vexaframe;
using Clock = std::chrono::steady_clock;

constexpr int kRuns = 5;

enum Stage { kDecode, kEncode, kWrite, kRead, kTexture, kDeviceTexture, kStageCount };
constexpr std::array<const char*, kStageCount> kStageNames = {
    "decode", "encode BMP", "write", "read", "texture", "device texture"};
using StageTimes = std::array<double, kStageCount>;  // milliseconds

template <typename Work>
auto Timed(double& milliseconds, Work work) {
    const Clock::time_point start = Clock::now();
    auto result = work();
    milliseconds = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    return result;
}

std::string ReadWholeFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::string bytes(static_cast<std::size_t>(fs::file_size(path)), '\0');
    file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

bool WriteWholeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    return static_cast<bool>(file);
}

// Nothing when a stage fails.
std::optional<StageTimes> ChangePicture(const std::string& photograph, const fs::path& staging,
                                        TextureLimits limits, SoftwareDevice& device) {
    StageTimes times{};
    const std::optional<Image> picture =
        Timed(times[kDecode], [&] { return LoadPicture(photograph); });
    if (!picture) return std::nullopt;
    const std::string bitmap = Timed(times[kEncode], [&] { return EncodeBmp24(*picture); });
    if (!Timed(times[kWrite], [&] { return WriteWholeFile(staging, bitmap); })) return std::nullopt;
    const std::string bytes = Timed(times[kRead], [&] { return ReadWholeFile(staging); });
    const std::optional<Image> texture =
        Timed(times[kTexture], [&] { return TextureFromBitmapFile(bytes, limits); });
    if (!texture) return std::nullopt;
    if (!Timed(times[kDeviceTexture], [&] { return device.CreateTexture(*texture); })) {
        return std::nullopt;
    }
    return times;
}

// The median of each stage and of the whole, over the runs after a first one that warms the
// caches.
std::optional<std::pair<double, StageTimes>> MedianChange(const std::string& photograph,
                                                          const fs::path& staging,
                                                          TextureLimits limits) {
    SoftwareDevice device(64, 64, [](const Image&, const PixelRegion&) {});
    std::vector<double> wholes;
    std::array<std::vector<double>, kStageCount> stages;
    for (int run = 0; run <= kRuns; ++run) {
        double whole = 0;
        const std::optional<StageTimes> times =
            Timed(whole, [&] { return ChangePicture(photograph, staging, limits, device); });
        if (!times) return std::nullopt;
        if (run == 0) continue;
        wholes.push_back(whole);
        for (int stage = 0; stage < kStageCount; ++stage) stages[stage].push_back((*times)[stage]);
    }
    StageTimes medians{};
    for (int stage = 0; stage < kStageCount; ++stage) medians[stage] = Median(stages[stage]);
    return std::pair{Median(wholes), medians};
}

std::optional<double> MedianDecode(const std::string& photograph) {
    std::vector<double> times;
    for (int run = 0; run <= kRuns; ++run) {
        double time = 0;
        if (!Timed(time, [&] { return LoadPicture(photograph); })) return std::nullopt;
        if (run > 0) times.push_back(time);
    }
    return Median(times);
}

}  // namespace

int main() {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    const std::string photograph = VEXAFRAME_BENCHMARK_JPEG;
    const fs::path staging = fs::temp_directory_path() /
                             ("Vexaframe-" + std::to_string(std::random_device{}()) + ".bmp");

    const std::optional<double> decode = MedianDecode(photograph);
    if (!decode) {
        std::printf("cannot load %s\n", photograph.c_str());
        return 1;
    }
    std::printf("picture: %s, %.1f MB; medians of %d runs\n",
                fs::path(photograph).filename().string().c_str(),
                static_cast<double>(fs::file_size(photograph)) / 1e6, kRuns);
    std::printf("(a) decode alone (LoadPicture):         %7.1f ms\n", *decode);
    for (const int side : {4096, 2048}) {
        const auto change = MedianChange(photograph, staging, {side, true});
        if (!change) {
            std::printf("the picture change failed at %d\n", side);
            return 1;
        }
        std::printf("(b) picture change, texture %d:       %7.1f ms  (b/a %.2f)\n   ", side,
                    change->first, change->first / *decode);
        for (int stage = 0; stage < kStageCount; ++stage) {
            std::printf(" %s %.1f", kStageNames[stage], change->second[stage]);
        }
        std::printf("\n");
    }
    std::error_code ignored;
    fs::remove(staging, ignored);
    CoUninitialize();
    return 0;
}
