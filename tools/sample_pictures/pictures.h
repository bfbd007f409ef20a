#pragma once
// The sample pictures, each drawn at any size asked for.

#include "metafile.h"
#include "pictures/image.h"

namespace vexaframe::samples {

// Skies and landscapes, soft gradients: for BMP and JPEG.
Image SunsetHills(int width, int height);
Image MoonlitSea(int width, int height);
Image AuroraLake(int width, int height);
Image RingedPlanet(int width, int height);

// Fractals and patterns: smooth ones for BMP and JPEG.
Image PlasmaWaves(int width, int height);
Image JuliaSpiral(int width, int height);
Image MandelbrotDetail(int width, int height);
Image RainbowBubbles(int width, int height);

// Flat colours, few enough for a 256-colour GIF.
Image StainedGlass(int width, int height);
Image RainbowRings(int width, int height);
Image NightCity(int width, int height);
Image TumblingBlocks(int width, int height);

// Vector art; sizes in metafile units of kMetafileUnitsPerInch.
inline constexpr std::uint16_t kMetafileUnitsPerInch = 1440;
Metafile MountainLake(std::int16_t width, std::int16_t height);
Metafile Sunflower(std::int16_t width, std::int16_t height);
Metafile BauhausTiles(std::int16_t width, std::int16_t height);
Metafile SailingRegatta(std::int16_t width, std::int16_t height);

}  // namespace vexaframe::samples
