// Skies and landscapes: soft gradients and noise, drawn supersampled.

#include <cmath>

#include "noise.h"
#include "paint.h"
#include "pictures.h"

namespace vexaframe::samples {
namespace {

double Gaussian(double distance, double radius) {
    return std::exp(-distance * distance / (radius * radius));
}

// --- Sunset over layered hills ---

constexpr int kHillLayers = 5;

double HillRidge(int layer, double x) {
    const double base = 0.6 + 0.075 * layer;
    const double amplitude = 0.07 + 0.025 * layer;
    const double frequency = 1.1 + 0.45 * layer;
    const double n = Fractal(x * frequency + 13.7 * layer, 0.5 + 3.1 * layer, 5, 11);
    return base - amplitude * (n - 0.5) * 2.4;
}

// Far layers fade into the haze; valleys fill with mist below each ridge.
Rgb HillColour(int layer, double depthBelowRidge) {
    static const Gradient layers{0xC86482, 0x9A4A7A, 0x6A3066, 0x40204E, 0x1C0E2C};
    const Rgb body = layers.At(static_cast<double>(layer) / (kHillLayers - 1));
    const double mist = 0.35 * (1 - 0.18 * layer) * Smoothstep(0.0, 0.18, depthBelowRidge);
    return Mix(body, Hex(0xF09A80), mist);
}

Rgb SunsetSky(Point p, Point sun) {
    static const Gradient sky{0x1B1646, 0x46246E, 0x9A3A78, 0xE2606A, 0xFF9E5C, 0xFFD58A};
    constexpr double kSunRadius = 0.07;
    const double toSun = Length(p - sun);
    Rgb colour = sky.At(p.y / 0.7);

    const double streaks = Fractal(p.x * 2.2, p.y * 16, 5, 23);
    const double cloud = Smoothstep(0.55, 0.72, streaks) * Smoothstep(0.08, 0.3, p.y);
    const Rgb cloudColour = Mix(Hex(0x4A2466), Hex(0xFF8C78), Smoothstep(0.1, 0.6, p.y));
    colour = Mix(colour, cloudColour + Hex(0xFFB080) * Gaussian(toSun, 0.25), cloud * 0.75);

    colour = colour + Hex(0xFFB070) * (0.55 * Gaussian(toSun, 0.14)) +
             Hex(0xFF7050) * (0.25 * Gaussian(toSun, 0.4));
    return Mix(colour, Hex(0xFFF4CC), Smoothstep(kSunRadius + 0.003, kSunRadius - 0.003, toSun));
}

// --- Moonlight on the sea ---

constexpr double kSeaHorizon = 0.58;

Rgb EveningSky(Point p, Point moon, int height) {
    static const Gradient sky{0x07102A, 0x16285A, 0x3B4F8C, 0x8E7BB0, 0xE8A9A6};
    constexpr double kMoonRadius = 0.055;
    const double toMoon = Length(p - moon);
    Rgb colour = sky.At(p.y / kSeaHorizon);
    const double starFade = 1 - Smoothstep(0.15, 0.45, p.y);
    colour = colour + Hex(0xDDE6FF) * (Stars(p, height, 5, 0.14, 31) * starFade);
    colour = colour + Hex(0xCFD8FF) * (0.35 * Gaussian(toMoon, 0.1));
    const Rgb moonFace = Hex(0xFFF4D6) * (0.86 + 0.14 * Fractal(p.x * 40, p.y * 40, 3, 37));
    return Mix(colour, moonFace, Smoothstep(kMoonRadius + 0.002, kMoonRadius - 0.002, toMoon));
}

// Low islands on the horizon: how far above it their shore rises at x.
double IslandHeight(double x, double aspect) {
    const auto hump = [x, aspect](double centre, double halfWidth, double top) {
        const double u = (x - centre * aspect) / (halfWidth * aspect);
        return top * std::max(0.0, 1 - u * u);
    };
    const double rough = 0.75 + 0.25 * Fractal(x * 14, 2.5, 3, 41);
    return std::max(hump(0.8, 0.17, 0.05), hump(0.08, 0.1, 0.028)) * rough;
}

// The sea seen in perspective: ripples shrink towards the horizon, and the moon lays a
// column of glitter on them.
Rgb Sea(Point p, Point moon) {
    const double below = p.y - kSeaHorizon;
    const double t = below / (1 - kSeaHorizon);
    const double depth = 1 / (below + 0.004);
    const double ripple = Fractal((p.x - moon.x) * depth * 0.5, depth * 2.2, 4, 43);
    Rgb colour = Mix(Hex(0x41548A), Hex(0x08122A), std::pow(t, 0.5));
    colour = Mix(colour, Hex(0xC99AAE), 0.55 * std::pow(1 - t, 8));
    colour = colour * (0.75 + 0.5 * ripple);
    const double column = Gaussian(p.x - moon.x, 0.025 + 0.22 * t);
    const double glitter = Smoothstep(0.52, 0.7, ripple) * column;
    return Mix(colour, Hex(0xFFE9C4), glitter * 0.9);
}

// --- Aurora over a mountain lake ---

constexpr double kShore = 0.74;

// Sharp peaks: folded noise has a crease wherever the noise crosses its middle.
double Folded(double x, std::uint32_t seed) {
    return 1 - std::abs(2 * Fractal(x, 1.7, 4, seed) - 1);
}

double MountainRidge(double x) {
    const double peaks = 0.6 * std::pow(Folded(x * 2.3, 51), 2) + 0.4 * Folded(x * 4.7 + 3, 52);
    const double envelope = 0.3 + 0.7 * Fractal(x * 0.9, 3.3, 2, 53);
    return kShore - 0.03 - 0.3 * peaks * envelope - 0.015 * Fractal(x * 14, 4.1, 3, 55);
}

// One curtain of light: a lower hem along a wavy line, rays fading upwards.
Rgb AuroraCurtain(Point p, double hem, double height, double hemSoftness, std::uint32_t seed) {
    const double above = hem - p.y;
    const double falloff = above > 0 ? std::exp(-above / height) : std::exp(above / hemSoftness);
    const double rays = 0.3 + 0.7 * Fractal(p.x * 26 + 3 * std::sin(p.y * 4), p.y * 1.2, 3, seed);
    const Rgb green = Mix(Hex(0x5CFFB0), Hex(0x2EC4B6), Smoothstep(0.02, 0.12, above));
    return Mix(green, Hex(0xB44CFF), Smoothstep(0.08, 0.4, above)) * (falloff * rays);
}

Rgb AuroraSky(Point p, int height) {
    static const Gradient sky{0x010410, 0x05132A, 0x0C3048};
    const double hem =
        0.44 + 0.07 * std::sin(p.x * 3.2 + 0.5) + 0.08 * (Fractal(p.x * 1.5, 9.2, 3, 57) - 0.5);
    const double farHem = 0.3 + 0.05 * std::sin(p.x * 2.3 + 2);
    const Rgb aurora = AuroraCurtain(p, hem, 0.22, 0.02, 61) * 0.95 +
                       AuroraCurtain(p, farHem, 0.15, 0.05, 67) * 0.35;
    const double stars = Stars(p, height, 5, 0.08, 71);
    return sky.At(p.y / kShore) + aurora + Hex(0xE8F0FF) * stars;
}

// Snow on the high peaks catches the aurora's light; the slopes below fall into darkness.
Rgb AuroraLandscape(Point p, int height) {
    const double ridge = MountainRidge(p.x);
    if (p.y < ridge) return AuroraSky(p, height);
    const double snowLine = 0.015 + 0.05 * Fractal(p.x * 30, p.y * 8, 3, 75);
    const double snow = Smoothstep(kShore - 0.12, kShore - 0.22, ridge) *
                        (1 - Smoothstep(snowLine * 0.7, snowLine, p.y - ridge));
    return Mix(Hex(0x070D16), Hex(0x4F7A86), snow);
}

// --- A ringed planet in a nebula ---

constexpr double kRingTilt = -0.35;
constexpr double kRingFlattening = 0.26;

Rgb Nebula(Point p, int height) {
    const double warp = Fractal(p.x * 1.5, p.y * 1.5, 5, 81);
    const double cloud = Fractal(p.x * 2 + warp * 1.6, p.y * 2 + warp, 6, 83);
    const double hue = Fractal(p.x * 1.1, p.y * 1.1, 3, 87);
    const Rgb tint = Mix(Hex(0x6A1B9A), Hex(0x0F7C8C), Smoothstep(0.35, 0.65, hue));
    Rgb colour = Hex(0x02030A) + tint * (0.8 * Smoothstep(0.42, 0.85, cloud));
    colour = colour + Hex(0xFF5A8A) * (0.5 * Smoothstep(0.68, 0.9, cloud));
    return colour + Hex(0xFFFFFF) * Stars(p, height, 5, 0.1, 89);
}

// A lit sphere; `offset` is the point relative to the centre, in radii. Light comes from
// the upper right and a little in front.
struct SphereHit {
    double x;
    double y;
    double z;  // towards the viewer
    double light;
};

SphereHit OnSphere(Point offset) {
    const double z = std::sqrt(std::max(0.0, 1 - offset.x * offset.x - offset.y * offset.y));
    const double light = std::max(0.0, offset.x * 0.62 - offset.y * 0.5 + z * 0.6);
    return {offset.x, offset.y, z, light};
}

Rgb GasGiant(SphereHit hit) {
    static const Gradient bands{0xF2D7A7, 0xD98E4F, 0xA65A35, 0xEBC48D,
                                0xC9743F, 0xF5E3C3, 0x9E5230, 0xF2D7A7};
    const Point along = Rotate({hit.x, hit.y}, -kRingTilt);
    const double latitude = along.y + 0.05 * (Fractal(along.x * 3, along.y * 12, 4, 91) - 0.5);
    const Rgb surface = bands.Cyclic(latitude * 1.6) * (0.06 + 1.05 * hit.light);
    const double rim = std::pow(1 - hit.z, 3);
    return surface + Hex(0x9FC4FF) * (rim * (0.15 + 0.6 * hit.light));
}

// Opacity and colour of the rings at a point given relative to the planet, in radii.
struct RingSample {
    double opacity;
    Rgb colour;
    bool nearSide;
};

RingSample Rings(Point offset) {
    const Point along = Rotate(offset, -kRingTilt);
    const double radius = std::hypot(along.x, along.y / kRingFlattening);
    static const Gradient shades{0xB89A78, 0xE8D5B0, 0xCDB08A, 0xF0E2C4, 0xA88C6C};
    const double inRing = Smoothstep(1.25, 1.3, radius) * Smoothstep(2.2, 2.12, radius);
    const double gap = 1 - 0.85 * Gaussian(radius - 1.83, 0.025);
    const double grain = 0.75 + 0.25 * ValueNoise(radius * 60, 0.5, 93);
    return {inRing * gap * grain * 0.9, shades.At((radius - 1.25) / 0.95), along.y > 0};
}

Rgb CrateredMoon(SphereHit hit) {
    const double craters = Fractal(hit.x * 5 + 10, hit.y * 5, 4, 97);
    return Hex(0xB8B4AE) * ((0.7 + 0.5 * craters) * (0.04 + 1.0 * hit.light));
}

}  // namespace

Image SunsetHills(int width, int height) {
    const Point sun{Aspect(width, height) * 0.62, 0.55};
    return Paint(width, height, 2, [sun](Point p) {
        for (int layer = kHillLayers - 1; layer >= 0; --layer) {
            const double ridge = HillRidge(layer, p.x);
            if (p.y >= ridge) return HillColour(layer, p.y - ridge);
        }
        return SunsetSky(p, sun);
    });
}

Image MoonlitSea(int width, int height) {
    const double aspect = Aspect(width, height);
    const Point moon{aspect * 0.3, 0.27};
    return Paint(width, height, 2, [=](Point p) {
        if (p.y > kSeaHorizon) return Sea(p, moon);
        if (p.y > kSeaHorizon - IslandHeight(p.x, aspect)) return Hex(0x1B1E3C);
        return EveningSky(p, moon, height);
    });
}

Image AuroraLake(int width, int height) {
    return Paint(width, height, 2, [height](Point p) {
        if (p.y < kShore) return AuroraLandscape(p, height);
        // The lake mirrors the land, broken by ripples and darker than what it shows.
        const double ripple = 0.006 * (ValueNoise(p.x * 3, p.y * 140, 73) - 0.5);
        const Point mirrored{p.x + ripple, 2 * kShore - p.y};
        return AuroraLandscape(mirrored, height) * 0.55 + Hex(0x020812);
    });
}

Image RingedPlanet(int width, int height) {
    const double aspect = Aspect(width, height);
    const Point planet{aspect * 0.4, 0.56};
    const double planetRadius = 0.25;
    const Point moon{aspect * 0.84, 0.2};
    const double moonRadius = 0.045;
    return Paint(width, height, 2, [=](Point p) {
        const Point offset = (p - planet) * (1 / planetRadius);
        const RingSample ring = Rings(offset);
        const bool onPlanet = Length(offset) < 1;
        const Point moonOffset = (p - moon) * (1 / moonRadius);
        Rgb colour =
            Length(moonOffset) < 1 ? CrateredMoon(OnSphere(moonOffset)) : Nebula(p, height);
        if (onPlanet) colour = GasGiant(OnSphere(offset));
        if (!onPlanet || ring.nearSide) colour = Mix(colour, ring.colour, ring.opacity);
        return colour;
    });
}

}  // namespace vexaframe::samples
