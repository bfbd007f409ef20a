// The software rendering path as the saver takes it without a Direct3D device: frames of a
// sample picture drawn on the processor and copied through GDI into a window that covers the
// virtual screen. Against the same frames handed to a sink that drops them, this shows what
// the copy costs. Wall time includes the window system's share where the copy waits for it;
// processor time is this process's only.

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "median.h"
#include "render/frame.h"
#include "render/scene_resources.h"
#include "render/software_device.h"
#include "render/win32_software_presenter.h"
#include "step_clock.h"
#include "win32_benchmark_window.h"

namespace {

using namespace vexaframe;
using Clock = std::chrono::steady_clock;

constexpr int kCameraPositions = 24;  // frames per round: once around the cube
constexpr int kRounds = 5;
constexpr wchar_t kWindowClass[] = L"VexaframeSoftwarePathBenchmark";

struct Renderer {
    std::unique_ptr<SoftwareDevice> device;
    SceneResources resources;
};

double ProcessorSeconds() {
    FILETIME created, ended, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
    const auto seconds = [](FILETIME time) {
        const std::uint64_t ticks = std::uint64_t{time.dwHighDateTime} << 32 | time.dwLowDateTime;
        return static_cast<double>(ticks) * 1e-7;  // 100 ns ticks
    };
    return seconds(kernel) + seconds(user);
}

std::optional<std::string> ReadWholeFile(const char* path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// Nothing when the device cannot take the picture.
std::optional<Renderer> PrepareRenderer(std::unique_ptr<SoftwareDevice> device,
                                        const std::string& bitmapFile) {
    if (!device) return std::nullopt;
    Renderer renderer{std::move(device), {}};
    bool complete = true;
    if (!CreateResources(*renderer.device, bitmapFile, renderer.resources,
                         [&](ResourceProblem) { complete = false; }) ||
        !complete) {
        return std::nullopt;
    }
    return renderer;
}

// The wall time of each round, and the processor time over all of them: the process's
// processor clock ticks too coarsely to time one round.
struct Rounds {
    std::vector<double> wallMilliseconds;
    double processorSeconds = 0;

    double WallPerFrame() const { return Median(wallMilliseconds) / kCameraPositions; }
    double ProcessorPerFrame() const {
        return processorSeconds * 1e3 / static_cast<double>(kCameraPositions * kRounds);
    }
};

// Once around the cube; false when the device fails a frame.
bool RenderRound(Renderer& renderer, SceneState scene, Rounds& rounds) {
    scene.Texture = renderer.resources.Texture.get();
    StepClock clock(kCameraPositions);
    const double processorStart = ProcessorSeconds();
    const Clock::time_point wallStart = Clock::now();
    for (int frame = 0; frame < kCameraPositions; ++frame) {
        if (!RenderFrame(*renderer.device, clock, scene)) return false;
        PumpMessages();
    }
    rounds.wallMilliseconds.push_back(
        std::chrono::duration<double, std::milli>(Clock::now() - wallStart).count());
    rounds.processorSeconds += ProcessorSeconds() - processorStart;
    return true;
}

void PrintFrameCost(const char* name, const Rounds& rounds) {
    std::printf("  %-16s %6.1f frames/s  %6.2f ms/frame  processor %6.2f ms/frame\n", name,
                1e3 / rounds.WallPerFrame(), rounds.WallPerFrame(), rounds.ProcessorPerFrame());
}

// Rounds alternate between the two renderers, so that the machine's drift meets both alike.
bool CompareCopyAgainstNone(const char* name, SceneState scene, Renderer& toWindow,
                            Renderer& dropped) {
    // The first frame of a device is black by design; a round first lights the frames after it.
    Rounds warmUp;
    if (!RenderRound(toWindow, scene, warmUp) || !RenderRound(dropped, scene, warmUp)) {
        return false;
    }
    Rounds copied, notCopied;
    for (int round = 0; round < kRounds; ++round) {
        if (!RenderRound(toWindow, scene, copied) || !RenderRound(dropped, scene, notCopied)) {
            return false;
        }
    }
    std::printf("%s\n", name);
    PrintFrameCost("into the window:", copied);
    PrintFrameCost("copy dropped:", notCopied);
    const auto share = [](double with, double without) { return 100 * (with - without) / with; };
    std::printf(
        "  the GDI copy's share of a frame: %.0f %% of the wall time, %.0f %% of the "
        "processor time\n",
        share(copied.WallPerFrame(), notCopied.WallPerFrame()),
        share(copied.ProcessorPerFrame(), notCopied.ProcessorPerFrame()));
    return true;
}

}  // namespace

int main() {
    const std::optional<std::string> bitmapFile = ReadWholeFile(VEXAFRAME_BENCHMARK_BITMAP);
    if (!bitmapFile) {
        std::printf("cannot read %s\n", VEXAFRAME_BENCHMARK_BITMAP);
        return 1;
    }
    const HWND window = ShowWindowOverVirtualScreen(kWindowClass);
    RECT client{};
    if (window == nullptr || !GetClientRect(window, &client)) {
        std::printf("cannot make a window over the virtual screen\n");
        return 1;
    }
    const int width = client.right, height = client.bottom;
    std::optional<Renderer> toWindow = PrepareRenderer(MakeSoftwareDeviceFor(window), *bitmapFile);
    std::optional<Renderer> dropped = PrepareRenderer(
        std::make_unique<SoftwareDevice>(width, height, [](const Image&, const PixelRegion&) {}),
        *bitmapFile);
    if (!toWindow || !dropped) {
        std::printf("cannot set up the software device with %s\n", VEXAFRAME_BENCHMARK_BITMAP);
        return 1;
    }
    std::printf(
        "Software path at %d x %d (the virtual screen), %d rounds of %d frames: wall time of the "
        "median round, processor time over all rounds\n",
        width, height, kRounds, kCameraPositions);
    const bool drawn =
        CompareCopyAgainstNone("pattern 10 blended", {10, 0, 1, nullptr}, *toWindow, *dropped) &&
        CompareCopyAgainstNone("pattern 10 opaque", {10, 0, 0, nullptr}, *toWindow, *dropped);
    DestroyWindow(window);
    if (!drawn) std::printf("the device failed a frame\n");
    return drawn ? 0 : 1;
}
