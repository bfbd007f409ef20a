// Draws the sample pictures. BMP and WMF files go straight to the samples folder; pictures
// meant as GIF, JPEG or PNG go as BMP files to <staging>/gif, <staging>/jpg and <staging>/png,
// for the build to convert.

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "pictures.h"
#include "pictures/bmp_file.h"

namespace {

namespace fs = std::filesystem;
using namespace vexaframe::samples;

struct RasterSample {
    const char* name;
    const char* kind;  // bmp, gif, jpg or png
    int width;
    int height;
    vexaframe::Image (*draw)(int, int);
};

struct VectorSample {
    const char* name;
    int width;  // nominal pixels at 96 dots per inch
    int height;
    Metafile (*draw)(std::int16_t, std::int16_t);
};

constexpr std::array kRasterSamples{
    RasterSample{"aurora_lake", "bmp", 1024, 576, AuroraLake},
    RasterSample{"ringed_planet", "bmp", 800, 600, RingedPlanet},
    RasterSample{"mandelbrot_detail", "bmp", 640, 480, MandelbrotDetail},
    RasterSample{"rainbow_bubbles", "bmp", 450, 601, RainbowBubbles},  // rows need padding
    RasterSample{"sunset_hills", "jpg", 1280, 720, SunsetHills},
    RasterSample{"moonlit_sea", "jpg", 800, 600, MoonlitSea},
    RasterSample{"plasma_waves", "jpg", 512, 512, PlasmaWaves},
    RasterSample{"julia_spiral", "jpg", 480, 640, JuliaSpiral},
    RasterSample{"stained_glass", "gif", 640, 480, StainedGlass},
    RasterSample{"rainbow_rings", "gif", 512, 512, RainbowRings},
    RasterSample{"night_city", "gif", 320, 240, NightCity},
    RasterSample{"tumbling_blocks", "png", 720, 480, TumblingBlocks},
};

constexpr std::array kVectorSamples{
    VectorSample{"mountain_lake", 800, 600, MountainLake},
    VectorSample{"sunflower", 512, 512, Sunflower},
    VectorSample{"bauhaus_tiles", 480, 640, BauhausTiles},
    VectorSample{"sailing_regatta", 1024, 576, SailingRegatta},
};

bool WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) std::fprintf(stderr, "sample_pictures: cannot write %s\n", path.string().c_str());
    return static_cast<bool>(file);
}

std::int16_t MetafileUnits(int pixels) {
    constexpr int kScreenDotsPerInch = 96;
    return static_cast<std::int16_t>(pixels * kMetafileUnitsPerInch / kScreenDotsPerInch);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: sample_pictures <samples folder> <staging folder>\n");
        return 2;
    }
    const fs::path samples = argv[1];
    const fs::path staging = argv[2];
    for (const fs::path& folder : {samples, staging / "gif", staging / "jpg", staging / "png"}) {
        fs::create_directories(folder);
    }

    bool written = true;
    for (const RasterSample& sample : kRasterSamples) {
        const std::string kind = sample.kind;
        const fs::path folder = kind == "bmp" ? samples : staging / kind;
        const auto bytes = vexaframe::EncodeBmp24(sample.draw(sample.width, sample.height));
        written = WriteFile(folder / (std::string(sample.name) + ".bmp"), bytes) && written;
    }
    for (const VectorSample& sample : kVectorSamples) {
        const Metafile art = sample.draw(MetafileUnits(sample.width), MetafileUnits(sample.height));
        written = WriteFile(samples / (std::string(sample.name) + ".wmf"), art.Bytes()) && written;
    }
    return written ? 0 : 1;
}
