#pragma once
// Deterministic randomness for the pictures, so every build makes the same files.

#include <cstdint>
#include <random>

namespace vexaframe::samples {

// A well-mixed 32-bit hash of a lattice point, for value noise and per-cell choices.
std::uint32_t Hash(std::int32_t x, std::int32_t y, std::uint32_t seed);

// Smooth value noise in [0, 1], one lattice cell per unit.
double ValueNoise(double x, double y, std::uint32_t seed);

// Sum of `octaves` noise layers, each twice as fine and half as strong; in [0, 1].
double Fractal(double x, double y, int octaves, std::uint32_t seed);

// Uniform numbers from a fixed seed. The engine's sequence is fixed by the standard, unlike
// the library's distributions, so the pictures are the same with any compiler.
class Dice {
public:
    explicit Dice(std::uint32_t seed) : engine_(seed) {}
    double Next() { return engine_() * 0x1.0p-32; }  // [0, 1)
    double Between(double low, double high) { return low + (high - low) * Next(); }

private:
    std::mt19937 engine_;
};

}  // namespace vexaframe::samples
