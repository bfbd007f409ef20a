#pragma once
// The program's one uniform random generator, seeded once per process.

#include <cstdint>
#include <random>

namespace vexaframe {

class UniformRandom {
public:
    explicit UniformRandom(std::uint64_t seed) : engine_(seed) {}

    // Seeded from the time of day mixed with the platform's entropy source.
    static UniformRandom FromTimeAndEntropy();

    // Uniform in [0, 1).
    double Next() { return static_cast<double>(engine_() >> 11) * 0x1.0p-53; }

    // Uniform whole number in [0, count), for count > 0.
    std::uint32_t Below(std::uint32_t count) { return static_cast<std::uint32_t>(Next() * count); }

private:
    std::mt19937_64 engine_;
};

}  // namespace vexaframe
