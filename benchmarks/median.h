#pragma once

#include <algorithm>
#include <vector>

namespace vexaframe {

// The values must not be empty.
inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace vexaframe
