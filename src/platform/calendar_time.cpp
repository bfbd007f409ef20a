#include "platform/calendar_time.h"

namespace vexaframe {
namespace {

constexpr int kLastYear = 9999;

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysIn(int month, int year) {
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool IsWithin(int value, int first, int last) {
    return value >= first && value <= last;
}

}  // namespace

bool IsValid(const CalendarTime& time) {
    return IsWithin(time.year, 1, kLastYear) && IsWithin(time.month, 1, 12) &&
           IsWithin(time.day, 1, DaysIn(time.month, time.year)) && IsWithin(time.hour, 0, 23) &&
           IsWithin(time.minute, 0, 59) && IsWithin(time.second, 0, 60);
}

}  // namespace vexaframe
