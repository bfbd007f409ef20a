#include <windows.h>

#include <string>

#include "platform/local_date.h"
#include "platform/wide_text.h"

namespace vexaframe {

std::string FormatLocalDate(const CalendarTime& time) {
    if (!IsValid(time)) return {};
    SYSTEMTIME day{};
    day.wYear = static_cast<WORD>(time.year);
    day.wMonth = static_cast<WORD>(time.month);
    day.wDay = static_cast<WORD>(time.day);
    wchar_t text[128];
    const int length = GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &day, nullptr,
                                       text, static_cast<int>(std::size(text)), nullptr);
    if (length <= 0) return {};
    return EncodeUtf8(std::wstring_view(text, static_cast<std::size_t>(length - 1)));
}

}  // namespace vexaframe
