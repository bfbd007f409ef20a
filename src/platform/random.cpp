#include "platform/random.h"

#include <chrono>
#include <ctime>

namespace vexaframe {

namespace {

std::uint64_t SecondsSinceMidnight() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return static_cast<std::uint64_t>(local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec);
}

}  // namespace

UniformRandom UniformRandom::FromTimeAndEntropy() {
    // The time of day alone repeats across runs started in the same second; the entropy
    // source alone is all the generator needs, the time is kept as a cheap extra input.
    std::random_device entropy;
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    std::seed_seq seed{static_cast<std::uint32_t>(SecondsSinceMidnight()), entropy(), entropy(),
                       entropy(), entropy(), static_cast<std::uint32_t>(ticks)};
    std::mt19937_64 engine(seed);
    return UniformRandom(engine());
}

}  // namespace vexaframe
