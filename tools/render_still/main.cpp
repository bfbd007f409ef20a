// Renders one frame of the saver with the software device into a bitmap file:
//   render_still PICTURE.bmp OUT.bmp [--size WxH] [--time SECONDS] [--pattern 0..10]
//                [--transparency 0..2] [--alpha 0|1]
// The build makes the preview still with it; it also shows the renderer without Windows.

#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "pictures/bmp_file.h"
#include "render/frame.h"
#include "render/scene_resources.h"
#include "render/software_device.h"

namespace {

using namespace vexaframe;

struct Options {
    std::string picture, output;
    int width = 640, height = 480;
    float time = 0;
    SceneState scene{10, 0, 0, nullptr};
};

std::optional<std::string> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    return static_cast<bool>(out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())));
}

bool ParseOption(std::string_view name, const char* value, Options& options) {
    const auto number = [value] { return std::stoi(value); };
    if (name == "--size") return std::sscanf(value, "%dx%d", &options.width, &options.height) == 2;
    if (name == "--time") options.time = std::stof(value);
    else if (name == "--pattern") options.scene.PatternIndex = static_cast<std::int16_t>(number());
    else if (name == "--transparency") options.scene.TransparencyMode = static_cast<std::int16_t>(number());
    else if (name == "--alpha") options.scene.PatternAlpha = static_cast<std::int16_t>(number());
    else return false;
    return true;
}

std::optional<Options> ParseArguments(int count, char** arguments) {
    if (count < 3 || count % 2 == 0) return std::nullopt;
    Options options{arguments[1], arguments[2]};
    try {
        for (int at = 3; at + 1 < count; at += 2)
            if (!ParseOption(arguments[at], arguments[at + 1], options)) return std::nullopt;
    } catch (const std::exception&) {
        return std::nullopt;
    }
    const bool sensible = options.width > 0 && options.height > 0 && options.width <= 16384 &&
                          options.height <= 16384;
    return sensible ? std::optional(options) : std::nullopt;
}

int Fail(const char* message) {
    std::fprintf(stderr, "render_still: %s\n", message);
    return 1;
}

}  // namespace

int main(int count, char** arguments) {
    const std::optional<Options> options = ParseArguments(count, arguments);
    if (!options)
        return Fail("usage: render_still PICTURE.bmp OUT.bmp [--size WxH] [--time SECONDS] "
                    "[--pattern 0..10] [--transparency 0..2] [--alpha 0|1]");
    const std::optional<std::string> picture = ReadWholeFile(options->picture);
    if (!picture) return Fail("cannot read the picture");

    Image still;
    SoftwareDevice device(options->width, options->height,
                          [&still](const Image& frame, const PixelRegion&) { still = frame; });
    SceneResources resources;
    bool unusable = false;
    if (!CreateResources(device, *picture, resources, [&](ResourceProblem) { unusable = true; }) ||
        unusable)
        return Fail("the picture is no bitmap file the renderer can use");

    SceneState scene = options->scene;
    scene.Texture = resources.Texture.get();
    StillClock clock(options->time);
    // The first frame is drawn before the lights are set, so it is black: keep the second.
    for (int frame = 0; frame < 2; ++frame)
        if (!RenderFrame(device, clock, scene)) return Fail("the frame could not be drawn");
    if (!WriteWholeFile(options->output, EncodeBmp24(still))) return Fail("cannot write the still");
    return 0;
}
