#include "platform/time_of_day.h"

#include <chrono>
#include <ctime>

namespace vexaframe {

double SecondsSinceMidnight() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t whole = system_clock::to_time_t(now);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &whole);
#else
    localtime_r(&whole, &local);
#endif
    const double fraction =
        duration<double>(now - floor<seconds>(now)).count();  // what to_time_t cut off
    return local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec + fraction;
}

}  // namespace vexaframe
