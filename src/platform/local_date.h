#pragma once
// Dates as the user reads them.

#include <string>

#include "platform/calendar_time.h"

namespace vexaframe {

// The date (not the time) in the user's own short form, as UTF-8: the user's settings on Windows,
// the environment's LC_TIME locale elsewhere (the C locale's when the environment names one the
// system lacks). Empty for a time that is not IsValid, or where the system cannot write it.
std::string FormatLocalDate(const CalendarTime& time);

}  // namespace vexaframe
