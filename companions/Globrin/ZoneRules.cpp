#include "Globrin/ZoneRules.h"

#include "framework/LocalTime.h"
#include "framework/TimeUnits.h"

#include <algorithm>

namespace hv {
namespace {

constexpr int kDaysPerWeek = 7;
constexpr int kLastWeek = 5;

int DaysInMonth(int year, int month) {
    CivilTime first{year, month, 1};
    CivilTime next = month == 12 ? CivilTime{year + 1, 1, 1} : CivilTime{year, month + 1, 1};
    return static_cast<int>((UnixSecondsFromCivil(next) - UnixSecondsFromCivil(first)) / kSecondsPerDay);
}

// The day of the month on which the transition falls in `year`.
int TransitionDay(const ZoneTransition& rule, int year) {
    if (rule.year != 0) return rule.day;
    const CivilTime first = CivilFromUnixSeconds(UnixSecondsFromCivil(CivilTime{year, rule.month, 1}));
    const int firstMatch = 1 + (rule.weekday - first.weekday + kDaysPerWeek) % kDaysPerWeek;
    const int week = std::clamp(rule.day, 1, kLastWeek);
    const int day = firstMatch + (week - 1) * kDaysPerWeek;
    // Week 5 is the last such weekday, whether the month has four or five of them.
    return day > DaysInMonth(year, rule.month) ? day - kDaysPerWeek : day;
}

// The transition as UTC milliseconds: its wall-clock time read in the season it ends. A
// rule with a year of its own falls on that fixed date.
std::int64_t TransitionUtcMillis(const ZoneTransition& rule, int year, int seasonBias) {
    const int inYear = rule.year != 0 ? rule.year : year;
    const CivilTime wall{inYear, rule.month, TransitionDay(rule, inYear), rule.hour, rule.minute, rule.second};
    return UnixSecondsFromCivil(wall) * kMillisPerSecond + rule.millisecond + seasonBias * kMillisPerMinute;
}

bool Changes(const ZoneTransition& rule) { return rule.month >= 1 && rule.month <= 12; }

bool IsDaylight(const ZoneRules& rules, std::int64_t utcMillis, int year) {
    if (!Changes(rules.toDaylight) || !Changes(rules.toStandard)) return false;
    const std::int64_t daylightStarts = TransitionUtcMillis(rules.toDaylight, year, rules.bias + rules.standardBias);
    const std::int64_t daylightEnds = TransitionUtcMillis(rules.toStandard, year, rules.bias + rules.daylightBias);
    // South of the equator daylight time spans the turn of the year.
    if (daylightStarts < daylightEnds) return daylightStarts <= utcMillis && utcMillis < daylightEnds;
    return utcMillis >= daylightStarts || utcMillis < daylightEnds;
}

} // namespace

int ZoneYear(const ZoneRules& anyYearsRules, std::int64_t unixSeconds) {
    const std::int64_t standardSeconds =
        unixSeconds - std::int64_t{anyYearsRules.bias + anyYearsRules.standardBias} * 60;
    return CivilFromUnixSeconds(standardSeconds).year;
}

ZoneTime ZoneTimeAt(const ZoneRules& rules, std::int64_t unixSeconds) {
    const bool daylight = IsDaylight(rules, unixSeconds * kMillisPerSecond, ZoneYear(rules, unixSeconds));
    const int offset = -(rules.bias + (daylight ? rules.daylightBias : rules.standardBias));
    return ZoneTime{CivilFromUnixSeconds(unixSeconds + std::int64_t{offset} * 60), offset, daylight};
}

} // namespace hv
