#include "Globrin/win32/Win32TimeZones.h"

#include "framework/win32/Utf16.h"

#include <algorithm>
#include <string>

namespace hv {
namespace {

constexpr const wchar_t* kZonesKey = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones\\";
constexpr const wchar_t* kDisplayValue = L"Display";
constexpr DWORD kLongestDisplay = 256;

// The name the system's own settings show, "(UTC+01:00) Amsterdam, ..."; the key when absent.
std::string DisplayNameOf(const std::wstring& key) {
    wchar_t display[kLongestDisplay] = {};
    DWORD size = sizeof display;
    const std::wstring path = kZonesKey + key;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, path.c_str(), kDisplayValue, RRF_RT_REG_SZ, nullptr, display, &size) !=
        ERROR_SUCCESS) {
        return Narrow(key);
    }
    return Narrow(display);
}

ZoneTransition TransitionOf(const SYSTEMTIME& time) {
    return ZoneTransition{time.wYear, time.wMonth,  time.wDayOfWeek, time.wDay,
                          time.wHour, time.wMinute, time.wSecond,    time.wMilliseconds};
}

} // namespace

Win32TimeZones::Win32TimeZones() {
    DYNAMIC_TIME_ZONE_INFORMATION record{};
    for (DWORD index = 0; EnumDynamicTimeZoneInformation(index, &record) == ERROR_SUCCESS; ++index) {
        const std::wstring key(record.TimeZoneKeyName);
        m_zones.push_back(Zone{TimeZoneName{Narrow(key), DisplayNameOf(key)}, record});
    }
    // West to east, as the system's own list runs; by name within one offset.
    std::stable_sort(m_zones.begin(), m_zones.end(), [](const Zone& a, const Zone& b) {
        if (a.record.Bias != b.record.Bias) return a.record.Bias > b.record.Bias;
        return a.name.display < b.name.display;
    });
    for (const Zone& zone : m_zones) m_names.push_back(zone.name);
}

std::optional<ZoneRules> Win32TimeZones::RulesFor(std::string_view key, int year) {
    const auto zone = std::find_if(m_zones.begin(), m_zones.end(), [&](const Zone& z) { return z.name.key == key; });
    if (zone == m_zones.end() || year < 1 || year > 9999) return std::nullopt;
    TIME_ZONE_INFORMATION rules{};
    if (!GetTimeZoneInformationForYear(static_cast<USHORT>(year), &zone->record, &rules)) return std::nullopt;
    return ZoneRules{static_cast<int>(rules.Bias), static_cast<int>(rules.StandardBias),
                     static_cast<int>(rules.DaylightBias), TransitionOf(rules.StandardDate),
                     TransitionOf(rules.DaylightDate)};
}

} // namespace hv
