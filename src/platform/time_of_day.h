#pragma once
// The local time of day.

namespace vexaframe {

// Seconds since local midnight, with the fraction of the current second.
double SecondsSinceMidnight();

}  // namespace vexaframe
