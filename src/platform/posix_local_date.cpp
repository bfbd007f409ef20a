#include <langinfo.h>
#include <locale.h>

#include <cstring>
#include <ctime>
#include <string>

#include "platform/local_date.h"
#include "platform/posix_handles.h"

namespace vexaframe {
namespace {

// The environment's LC_TIME locale where the system has it and it writes UTF-8 (which its
// LC_CTYPE tells); else the C locale, whose dates are plain ASCII.
OwnedLocale DateLocale() {
    OwnedLocale own(newlocale(LC_CTYPE_MASK | LC_TIME_MASK, "", nullptr));
    if (own && std::strcmp(nl_langinfo_l(CODESET, own.get()), "UTF-8") == 0) return own;
    return OwnedLocale(newlocale(LC_TIME_MASK, "C", nullptr));
}

// The day as the broken-down time of its midnight, with the day of the week and of the year that
// a form may name.
std::tm BrokenDownDay(const CalendarTime& time) {
    std::tm fields{};
    fields.tm_year = time.year - 1900;
    fields.tm_mon = time.month - 1;
    fields.tm_mday = time.day;
    timegm(&fields);
    return fields;
}

}  // namespace

std::string FormatLocalDate(const CalendarTime& time) {
    if (!IsValid(time)) return {};
    const OwnedLocale locale = DateLocale();
    if (!locale) return {};
    const std::tm fields = BrokenDownDay(time);
    char text[128];
    const std::size_t length = strftime_l(text, sizeof text, "%x", &fields, locale.get());
    return std::string(text, length);
}

}  // namespace vexaframe
