#include <gtest/gtest.h>
#include <locale.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/local_date.h"

namespace vexaframe {
namespace {

constexpr CalendarTime kFourthOfJuly{2021, 7, 4, 18, 30, 5};

TEST(FormatLocalDate, WritesValidDatesAndNothingForInvalidOnes) {
    EXPECT_NE(FormatLocalDate(kFourthOfJuly), "");
    EXPECT_NE(FormatLocalDate({2024, 2, 29, 23, 59, 60}), "");  // a leap day and second
    const CalendarTime invalid[] = {
        {2021, 13, 4, 0, 0, 0}, {2021, 0, 4, 0, 0, 0},  {2021, 7, 0, 0, 0, 0},
        {2021, 2, 29, 0, 0, 0}, {2021, 7, 4, 24, 0, 0}, {0, 7, 4, 0, 0, 0},
        {10000, 1, 1, 0, 0, 0}, {2021, 7, 4, 0, 60, 0}, {2021, 7, 4, 0, 0, -1},
    };
    for (const CalendarTime& time : invalid)
        EXPECT_EQ(FormatLocalDate(time), "") << time.year << "-" << time.month << "-" << time.day;
}

#ifndef _WIN32
// The environment's LC_ALL for the test's time.
class EnvironmentLocale {
public:
    explicit EnvironmentLocale(const char* name) {
        if (const char* old = std::getenv("LC_ALL")) old_ = old;
        setenv("LC_ALL", name, 1);
    }
    ~EnvironmentLocale() {
        if (old_)
            setenv("LC_ALL", old_->c_str(), 1);
        else
            unsetenv("LC_ALL");
    }
    EnvironmentLocale(const EnvironmentLocale&) = delete;
    EnvironmentLocale& operator=(const EnvironmentLocale&) = delete;

private:
    std::optional<std::string> old_;
};

TEST(FormatLocalDate, FollowsTheEnvironmentsLocale) {
    std::string plain;
    {
        const EnvironmentLocale locale("C");
        plain = FormatLocalDate(kFourthOfJuly);
        EXPECT_EQ(plain, "07/04/21");
    }
    {
        const EnvironmentLocale locale("xx_NOWHERE.UTF-8");  // unknown: the C locale's form
        EXPECT_EQ(FormatLocalDate(kFourthOfJuly), plain);
    }
    const EnvironmentLocale locale("ja_JP.UTF-8");
    const locale_t japanese = newlocale(LC_TIME_MASK, "ja_JP.UTF-8", nullptr);
    if (japanese == nullptr) GTEST_SKIP() << "no Japanese locale installed";
    freelocale(japanese);
    EXPECT_EQ(FormatLocalDate(kFourthOfJuly),
              "2021\xE5\xB9\xB4"
              "07\xE6\x9C\x88"
              "04\xE6\x97\xA5");
}
#endif

}  // namespace
}  // namespace vexaframe
