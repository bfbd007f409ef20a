// A large texture reaching the Direct3D 8 device while the cube turns at 60 frames a second, as
// the saver paces it: made in one call with CreateTexture, against an upload of one band per
// frame, new or over a retired texture of the same size, and against as many frames that make
// nothing. For each: the longest piece of work in one frame, the longest frame interval while
// the texture is made, and the frames that first draw with it (where Wine may do deferred work).
// Compare figures within one run. Needs a display.

#include <windows.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "median.h"
#include "pictures/bmp_file.h"
#include "render/device_choice.h"
#include "render/frame.h"
#include "render/scene_resources.h"
#include "render/win32_d3d8_device.h"
#include "saver/frame_pacer.h"
#include "step_clock.h"
#include "win32_benchmark_window.h"

namespace {

using namespace vexaframe;
using Clock = std::chrono::steady_clock;

constexpr int kRounds = 3;
constexpr int kCameraPositions = 24;
constexpr int kSettlingFrames = 12;  // before each measurement, so that Wine's queue is steady
constexpr int kFramesAfter = 5;      // after the first draw with the new texture
constexpr wchar_t kWindowClass[] = L"VexaframeTextureUploadBenchmark";

double Milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

// Smooth shading with fine detail, as a photograph has.
std::shared_ptr<const Image> PhotoLikePicture(int side) {
    auto picture = std::make_shared<Image>(side, side);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const auto column = static_cast<std::uint32_t>(x), row = static_cast<std::uint32_t>(y);
            const std::uint32_t noise = (column * 73856093u ^ row * 19349663u) >> 27 << 3;
            picture->At(x, y) =
                kOpaque | (column / 32 & 0xFF) << 16 | (row / 32 & 0xFF) << 8 | noise;
        }
    return picture;
}

constexpr int kRefreshHertz = 60;
constexpr double kPeriodMilliseconds = 1000.0 / kRefreshHertz;

// The saver's frames: each waits until it is due, does the work of the frame, then draws.
class Frames {
public:
    Frames(RenderDevice& device, DeviceTexture* original)
        : device_(device),
          scene_{10, 0, 1, original},
          clock_(kCameraPositions),
          pacer_(kRefreshHertz, Clock::now()) {}

    struct Timing {
        double work = 0;      // ms
        double interval = 0;  // ms since the previous frame was presented
    };

    // A failed frame ends the benchmark.
    template <typename Work>
    Timing Draw(DeviceTexture* texture, Work work) {
        WaitUntilDue();
        Timing timing;
        const Clock::time_point start = Clock::now();
        work();
        timing.work = Milliseconds(Clock::now() - start);
        scene_.Texture = texture;
        if (!RenderFrame(device_, clock_, scene_)) {
            std::printf("the device failed a frame\n");
            std::exit(1);
        }
        PumpMessages();
        const Clock::time_point now = Clock::now();
        timing.interval = Milliseconds(now - lastPresent_);
        lastPresent_ = now;
        pacer_.FrameDrawn(now);
        return timing;
    }
    double Draw(DeviceTexture* texture) {
        return Draw(texture, [] {}).interval;
    }

    // Frames with the shown texture, until Wine's queue is steady.
    void Settle() {
        for (int frame = 0; frame < kSettlingFrames; ++frame) Draw(ShownTexture());
    }

    DeviceTexture* ShownTexture() const { return shown_; }
    void Show(DeviceTexture* texture) { shown_ = texture; }
    void ShowOriginal() { shown_ = original_; }

private:
    // As the saver's message loop waits: in whole milliseconds, rounded up.
    void WaitUntilDue() {
        const auto wait = pacer_.TimeToNextFrame(Clock::now());
        if (wait > Clock::duration::zero())
            Sleep(static_cast<DWORD>(std::chrono::ceil<std::chrono::milliseconds>(wait).count()));
    }

    RenderDevice& device_;
    SceneState scene_;
    StepClock clock_;
    FramePacer pacer_;
    DeviceTexture* const original_ = scene_.Texture;
    DeviceTexture* shown_ = original_;
    Clock::time_point lastPresent_ = Clock::now();
};

struct Figures {
    int steps = 0;
    double medianWork = 0;  // of the CreateTexture, Begin and Step calls
    double longestWork = 0;
    double longestFrame = 0;  // the longest frame interval while the texture is made
    double firstDraw = 0;     // the frame first drawn with the new texture
    double longestAfter = 0;  // the longest of the frames after that one
};

// As many frames as an upload takes, making nothing: how long frames get on their own.
Figures Control(Frames& frames, int count) {
    Figures figures;
    figures.steps = count;
    for (int frame = 0; frame < count; ++frame)
        figures.longestFrame = std::max(figures.longestFrame, frames.Draw(frames.ShownTexture()));
    return figures;
}

// Draws the first frames with the new texture.
void DrawWithNewTexture(Frames& frames, DeviceTexture* texture, Figures& figures) {
    figures.firstDraw = frames.Draw(texture);
    for (int frame = 0; frame < kFramesAfter; ++frame)
        figures.longestAfter = std::max(figures.longestAfter, frames.Draw(texture));
}

std::unique_ptr<DeviceTexture> MadeInOneCall(RenderDevice& device, Frames& frames,
                                             const Image& picture, Figures& figures) {
    std::unique_ptr<DeviceTexture> texture;
    const Frames::Timing timing =
        frames.Draw(frames.ShownTexture(), [&] { texture = device.CreateTexture(picture); });
    figures.steps = 1;
    figures.medianWork = figures.longestWork = timing.work;
    figures.longestFrame = timing.interval;
    if (texture) DrawWithNewTexture(frames, texture.get(), figures);
    return texture;
}

// One step per frame, as the saver does it.
std::unique_ptr<DeviceTexture> UploadedInBands(RenderDevice& device, Frames& frames,
                                               std::shared_ptr<const Image> picture,
                                               std::unique_ptr<DeviceTexture> retired,
                                               Figures& figures) {
    std::unique_ptr<TextureUpload> upload;
    Frames::Timing timing = frames.Draw(frames.ShownTexture(), [&] {
        upload = device.BeginTextureUpload(std::move(picture), std::move(retired));
    });
    if (!upload) return nullptr;
    std::vector<double> work{timing.work};
    figures.longestFrame = timing.interval;
    TextureUpload::State state = TextureUpload::State::Uploading;
    while (state == TextureUpload::State::Uploading) {
        timing = frames.Draw(frames.ShownTexture(), [&] { state = upload->Step(); });
        ++figures.steps;
        work.push_back(timing.work);
        figures.longestFrame = std::max(figures.longestFrame, timing.interval);
    }
    figures.medianWork = Median(work);
    figures.longestWork = *std::max_element(work.begin(), work.end());
    std::unique_ptr<DeviceTexture> texture = upload->TakeTexture();
    if (texture) DrawWithNewTexture(frames, texture.get(), figures);
    return texture;
}

enum Way { kNothing, kOneCall, kNewBands, kRetiredBands, kWayCount };
constexpr std::array<const char*, kWayCount> kWayNames = {
    "nothing made (control)", "CreateTexture, one call", "bands, new texture",
    "bands, over retired texture"};
using Round = std::array<Figures, kWayCount>;

// Each way once, each after frames that let Wine's queue settle; false when a texture could not
// be made. The texture made in one call is retired, as the saver retires the one it stops
// showing, and the last upload writes over it.
bool MeasureRound(RenderDevice& device, Frames& frames, std::shared_ptr<const Image> picture,
                  Round& round) {
    frames.Settle();
    round[kNothing] = Control(frames, 1 + (picture->height + TextureBandRows(picture->width) - 1) /
                                              TextureBandRows(picture->width));
    frames.Settle();
    std::unique_ptr<DeviceTexture> first = MadeInOneCall(device, frames, *picture, round[kOneCall]);
    frames.Settle();
    const std::unique_ptr<DeviceTexture> second =
        UploadedInBands(device, frames, picture, nullptr, round[kNewBands]);
    if (!first || !second) return false;
    frames.Show(second.get());
    frames.Settle();
    const std::unique_ptr<DeviceTexture> third =
        UploadedInBands(device, frames, picture, std::move(first), round[kRetiredBands]);
    frames.ShowOriginal();  // before the textures go
    frames.Settle();
    return third != nullptr;
}

// The median over the rounds of each figure, also in refresh periods.
void Print(int side, Way way, const std::vector<Round>& rounds) {
    std::printf("%5d  %-28s %5d", side, kWayNames[way], rounds.front()[way].steps);
    for (double Figures::*figure :
         {&Figures::medianWork, &Figures::longestWork, &Figures::longestFrame, &Figures::firstDraw,
          &Figures::longestAfter}) {
        std::vector<double> values;
        for (const Round& round : rounds) values.push_back(round[way].*figure);
        const double time = Median(values);
        std::printf("  %7.1f (%4.1f)", time, time / kPeriodMilliseconds);
    }
    std::printf("\n");
}

}  // namespace

int main() {
    const HWND window = ShowWindowOverVirtualScreen(kWindowClass);
    RECT client{};
    if (window == nullptr || !GetClientRect(window, &client)) {
        std::printf("cannot make a window over the virtual screen\n");
        return 1;
    }
    const auto maker = MakeD3D8DeviceMaker(window);
    DeviceChoice choice = ChooseRenderDevice(*maker, nullptr);
    auto* device = dynamic_cast<D3D8Device*>(choice.device.get());
    SceneResources resources;
    bool complete = device != nullptr;
    if (!device ||
        !CreateResources(*device, EncodeBmp24(*PhotoLikePicture(256)), resources,
                         [&](ResourceProblem) { complete = false; }) ||
        !complete) {
        std::printf("cannot set up a Direct3D 8 device\n");
        return 1;
    }
    std::printf(
        "Direct3D 8 %s device at %ld x %ld, pattern 10 blended, frames paced at %d Hz. Medians "
        "of %d rounds; times in ms, and in brackets in refresh periods\n",
        device->Type() == Direct3DDeviceType::Hardware ? "hardware" : "reference", client.right,
        client.bottom, kRefreshHertz, kRounds);
    std::printf(
        "side   way                          steps  median work     longest work    "
        "longest frame   first draw      next %d frames\n",
        kFramesAfter);
    Frames frames(*device, resources.Texture.get());
    for (const int side : {4096, 8192}) {
        if (side > device->Limits().maxTextureSize) continue;
        const std::shared_ptr<const Image> picture = PhotoLikePicture(side);
        std::vector<Round> rounds(kRounds);
        for (Round& round : rounds)
            if (!MeasureRound(*device, frames, picture, round)) {
                std::printf("the device could not make a %d x %d texture\n", side, side);
                return 1;
            }
        for (int way = 0; way < kWayCount; ++way) Print(side, static_cast<Way>(way), rounds);
    }
    DestroyWindow(window);
    return 0;
}
