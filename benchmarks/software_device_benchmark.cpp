// Frames per second of the software device drawing the busiest frame: all eight triangles,
// blended, from a 4096 x 4096 texture, at three window sizes. The camera follows a fixed set
// of clock times, so that runs compare.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <span>
#include <utility>
#include <vector>

#include "render/frame.h"
#include "render/software_device.h"
#include "render/solid.h"
#include "step_clock.h"

namespace {

using namespace vexaframe;
using Clock = std::chrono::steady_clock;

constexpr int kTextureSide = 4096;
constexpr int kCameraPositions = 24;
constexpr int kRounds = 5;

// Smooth shading with fine detail, so that neither the texture cache nor the blend sees
// one flat colour.
Image PhotoLikePicture() {
    Image picture(kTextureSide, kTextureSide);
    for (int y = 0; y < kTextureSide; ++y)
        for (int x = 0; x < kTextureSide; ++x) {
            const auto column = static_cast<std::uint32_t>(x), row = static_cast<std::uint32_t>(y);
            const std::uint32_t noise = (column * 73856093u ^ row * 19349663u) >> 27 << 3;
            picture.At(x, y) = 0xFF000000u | column / 16 << 16 | row / 16 << 8 | noise;
        }
    return picture;
}

double FramesPerSecond(int width, int height, const Image& picture) {
    std::uint32_t checksum = 0;
    SoftwareDevice device(width, height, [&](const Image& frame, const PixelRegion&) {
        checksum += frame.At(width / 2, height / 2);
    });
    const auto texture = device.CreateTexture(picture);
    const auto buffer = device.CreateVertexBuffer(sizeof(SolidVertexList), kSolidVertexFormat);
    const SolidVertexList solid = BuildSolid();
    if (!texture || !buffer || !buffer->SetData(0, std::as_bytes(std::span(solid))) ||
        !device.SetVertexShader(kSolidVertexFormat) ||
        !device.SetStreamSource(0, buffer.get(), sizeof(SolidVertex))) {
        std::fprintf(stderr, "device set-up failed\n");
        return 0;
    }
    const SceneState blendedPattern10{10, 0, 1, texture.get()};
    StepClock clock(kCameraPositions);
    RenderFrame(device, clock, blendedPattern10);  // the first frame is black: lights it

    std::vector<double> rounds;
    for (int round = 0; round < kRounds; ++round) {
        const Clock::time_point start = Clock::now();
        for (int frame = 0; frame < kCameraPositions; ++frame)
            RenderFrame(device, clock, blendedPattern10);
        const std::chrono::duration<double> seconds = Clock::now() - start;
        rounds.push_back(kCameraPositions / seconds.count());
    }
    std::sort(rounds.begin(), rounds.end());
    if (checksum == 1) std::printf(" ");  // keeps the frames from being optimised away
    return rounds[rounds.size() / 2];
}

}  // namespace

int main() {
    const Image picture = PhotoLikePicture();
    std::printf("Software device, pattern 10 blended, 4096 x 4096 texture, one core\n");
    for (const auto& [width, height] : {std::pair{640, 480}, {1920, 1080}, {3840, 2160}})
        std::printf("%5d x %4d: %7.1f frames per second (median of %d rounds of %d frames)\n",
                    width, height, FramesPerSecond(width, height, picture), kRounds,
                    kCameraPositions);
}
