#pragma once
// A moment as a calendar and a clock show it, in no particular time zone: a file's time in local
// time, or the time a camera wrote into a photograph.

namespace vexaframe {

struct CalendarTime {
    int year = 0;
    int month = 0;  // 1 to 12
    int day = 0;    // 1 to the month's last day
    int hour = 0;   // 0 to 23
    int minute = 0;
    int second = 0;

    friend bool operator==(const CalendarTime&, const CalendarTime&) = default;
};

// True when every field names a real moment of the years 1 to 9999: no month 13, no 30 February,
// no hour 24. A leap second (60) counts, as clocks may show it.
bool IsValid(const CalendarTime& time);

}  // namespace vexaframe
