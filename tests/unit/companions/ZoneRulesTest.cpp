#include "Globrin/ZoneRules.h"
#include "framework/fake/FakePlatform.h"

#include <gtest/gtest.h>

namespace hv::testing {
namespace {

// Rules as the system's records give them for 2026 (bias in minutes, UTC = local + bias).
// Central Europe: summer time from the last Sunday of March, 02:00, to the last Sunday of
// October, 03:00.
const ZoneRules kBerlin{-60, 0, -60, {0, 10, 0, 5, 3}, {0, 3, 0, 5, 2}};
// Eastern Australia, south of the equator: daylight time from the first Sunday of October,
// 02:00, to the first Sunday of April, 03:00.
const ZoneRules kSydney{-600, 0, -60, {0, 4, 0, 1, 3}, {0, 10, 0, 1, 2}};
// Eastern North America: from the second Sunday of March to the first of November, 02:00.
const ZoneRules kNewYork{300, 0, -60, {0, 11, 0, 1, 2}, {0, 3, 0, 2, 2}};
const ZoneRules kTokyo{-540, 0, 0, {}, {}};
// Southern Brazil as its rules were until 2019: daylight time from the first Sunday of
// November, 00:00, to the third Sunday of February, 00:00.
const ZoneRules kSaoPaulo{180, 0, -60, {0, 2, 0, 3, 0}, {0, 11, 0, 1, 0}};
// A zone whose record gives this year's changes as fixed dates.
const ZoneRules kFixedDates{0, 0, -60, {2026, 9, 0, 6, 0}, {2026, 4, 0, 12, 0}};

struct Case {
    const char* what;
    const ZoneRules& rules;
    std::int64_t utc;
    CivilTime local;
    int offset;
    bool daylight;
};

std::int64_t Utc(int month, int day, int hour, int minute, int second) {
    return MicrosFromUtc(2026, month, day, hour, minute, second) / 1'000'000;
}

TEST(ZoneRules, LocalTimesInAndOutOfDaylightSavingAndAcrossEachChange) {
    const Case cases[] = {
        {"Berlin, last second of winter", kBerlin, Utc(3, 29, 0, 59, 59), {2026, 3, 29, 1, 59, 59, 0}, 60, false},
        {"Berlin, first of summer", kBerlin, Utc(3, 29, 1, 0, 0), {2026, 3, 29, 3, 0, 0, 0}, 120, true},
        // October 2026 has four Sundays: "the fifth" is the fourth.
        {"Berlin, last second of summer", kBerlin, Utc(10, 25, 0, 59, 59), {2026, 10, 25, 2, 59, 59, 0}, 120, true},
        {"Berlin, back in winter", kBerlin, Utc(10, 25, 1, 0, 0), {2026, 10, 25, 2, 0, 0, 0}, 60, false},
        {"Sydney, end of daylight time", kSydney, Utc(4, 4, 15, 59, 59), {2026, 4, 5, 2, 59, 59, 0}, 660, true},
        {"Sydney, standard again", kSydney, Utc(4, 4, 16, 0, 0), {2026, 4, 5, 2, 0, 0, 0}, 600, false},
        {"Sydney, daylight from October", kSydney, Utc(10, 3, 16, 0, 0), {2026, 10, 4, 3, 0, 0, 0}, 660, true},
        {"New York, second Sunday of March", kNewYork, Utc(3, 8, 7, 0, 0), {2026, 3, 8, 3, 0, 0, 0}, -240, true},
        {"New York, the day before", kNewYork, Utc(3, 7, 7, 0, 0), {2026, 3, 7, 2, 0, 0, 6}, -300, false},
        // February, its moments written out: 2026-02-14 12:00:00 and 2026-02-15 02:00:00 UTC.
        {"Sydney in February", kSydney, 1771070400, {2026, 2, 14, 23, 0, 0, 6}, 660, true},
        {"Sao Paulo, last second of daylight time", kSaoPaulo, 1771120799, {2026, 2, 14, 23, 59, 59, 6}, -120, true},
        {"Sao Paulo, standard again", kSaoPaulo, 1771120800, {2026, 2, 14, 23, 0, 0, 6}, -180, false},
        {"Tokyo never changes", kTokyo, Utc(7, 15, 20, 30, 0), {2026, 7, 16, 5, 30, 0, 4}, 540, false},
        {"fixed dates, inside", kFixedDates, Utc(4, 12, 0, 0, 0), {2026, 4, 12, 1, 0, 0, 0}, 60, true},
        {"fixed dates, before", kFixedDates, Utc(4, 11, 23, 59, 59), {2026, 4, 11, 23, 59, 59, 6}, 0, false},
    };
    for (const Case& c : cases) {
        const ZoneTime time = ZoneTimeAt(c.rules, c.utc);
        EXPECT_EQ(time, (ZoneTime{c.local, c.offset, c.daylight})) << c.what;
    }
}

TEST(ZoneRules, TheZonesYearIsItsOwnAroundNewYear) {
    const std::int64_t newYearsEveUtc = MicrosFromUtc(2025, 12, 31, 20, 0, 0) / 1'000'000;
    EXPECT_EQ(ZoneYear(kSydney, newYearsEveUtc), 2026);
    EXPECT_EQ(ZoneYear(kNewYork, newYearsEveUtc), 2025);
}

} // namespace
} // namespace hv::testing
