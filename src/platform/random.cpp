#include "platform/random.h"

#include <chrono>

#include "platform/time_of_day.h"

namespace vexaframe {

UniformRandom UniformRandom::FromTimeAndEntropy() {
    // The time of day alone repeats across runs started in the same second; the entropy
    // source alone is all the generator needs, the time is kept as a cheap extra input.
    std::random_device entropy;
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    std::seed_seq seed{static_cast<std::uint32_t>(SecondsSinceMidnight() * 1000),
                       entropy(),
                       entropy(),
                       entropy(),
                       entropy(),
                       static_cast<std::uint32_t>(ticks)};
    std::mt19937_64 engine(seed);
    return UniformRandom(engine());
}

}  // namespace vexaframe
