#include "framework/CivilTime.h"

#include <gtest/gtest.h>

namespace hv {
namespace {

// Known instants at the end of February, where the calendar's year turns, and at New Year.
TEST(CivilTime, DatesWhereMonthsAndYearsTurnConvertBothWays) {
    const struct {
        const char* name;
        std::int64_t unixSeconds;
        CivilTime civil;
    } cases[] = {
        {"leap day 2024", 1'709'164'800, {2024, 2, 29, 0, 0, 0, 4, 0}},
        {"the day after it", 1'709'251'200, {2024, 3, 1, 0, 0, 0, 5, 0}},
        {"2000, a leap year by 400", 951'782'400, {2000, 2, 29, 0, 0, 0, 2, 0}},
        {"2100, no leap year", 4'107'456'000, {2100, 2, 28, 0, 0, 0, 0, 0}},
        {"the last second of 2026", 1'798'761'599, {2026, 12, 31, 23, 59, 59, 4, 0}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CivilFromUnixSeconds(c.unixSeconds), c.civil) << c.name;
        EXPECT_EQ(UnixSecondsFromCivil(c.civil), c.unixSeconds) << c.name;
    }
}

} // namespace
} // namespace hv
