// Times a random and a sequential picture order over the largest catalogue.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "platform/random.h"
#include "settings/catalogue.h"
#include "settings/image_order.h"

namespace {

double MedianMilliseconds(std::int16_t orderMode) {
    using namespace vexaframe;
    UniformRandom random = UniformRandom::FromTimeAndEntropy();
    std::vector<std::int32_t> order(kMaxImageCount + 1, 0);
    std::vector<double> times;
    for (int run = 0; run < 51; ++run) {
        const auto start = std::chrono::steady_clock::now();
        BuildImageOrder(orderMode, kMaxImageCount, order, random);
        const std::chrono::duration<double, std::milli> spent =
            std::chrono::steady_clock::now() - start;
        times.push_back(spent.count());
    }
    std::nth_element(times.begin(), times.begin() + 25, times.end());
    return times[25];
}

}  // namespace

int main() {
    const double random = MedianMilliseconds(1);
    const double sequential = MedianMilliseconds(0);
    std::printf("BuildImageOrder, %d pictures, median of 51 runs\n", vexaframe::kMaxImageCount);
    std::printf("  random:     %8.3f ms\n", random);
    std::printf("  sequential: %8.3f ms (random takes %.1fx)\n", sequential, random / sequential);
    return 0;
}
