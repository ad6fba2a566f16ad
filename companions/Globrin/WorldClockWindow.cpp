#include "Globrin/WorldClockWindow.h"

#include "Globrin/AddCityDialog.h"
#include "Globrin/res/resource.h"
#include "common/ClockText.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace hv {
namespace {

constexpr int kClockTimer = 1;
enum Column { kCityColumn, kTimeColumn, kDateColumn, kOffsetColumn };
const std::vector<ListColumn> kColumns = {{"City", 96}, {"Time", 64}, {"Date", 96}, {"Offset", 116}};
constexpr const char* kUnknownZone = "unknown time zone";
constexpr const char* kNoTime = "--:--:--";
constexpr const char* kDaylightMark = " daylight";
constexpr int kMinutesPerHour = 60;

// "UTC+05:30 daylight", "UTC-03:00", "UTC".
std::string OffsetText(const ZoneTime& time) {
    std::string text = "UTC";
    if (time.utcOffsetMinutes != 0) {
        const int minutes = std::abs(time.utcOffsetMinutes);
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%c%02d:%02d", time.utcOffsetMinutes < 0 ? '-' : '+',
                      minutes / kMinutesPerHour, minutes % kMinutesPerHour);
        text += buffer;
    }
    return time.daylight ? text + kDaylightMark : text;
}

} // namespace

WorldClockWindow::WorldClockWindow(Platform& platform, TimeZones& zones) : m_platform(platform), m_zones(zones) {}

int WorldClockWindow::TemplateId() const { return IDD_WORLD_CLOCK; }

void WorldClockWindow::OnInit(DialogView& view) {
    m_cities = ReadRememberedCities(m_platform).value_or(DefaultCities());
    view.SetListColumns(IDC_CITY_LIST, kColumns);
    ListCities(view, -1);
}

bool WorldClockWindow::OnCommand(DialogView& view, int controlId, int /*notifyCode*/) {
    switch (controlId) {
    case IDC_ADD_CITY: AddCity(view); return true;
    case IDC_REMOVE_CITY: RemoveCity(view); return true;
    case IDC_MOVE_UP: MoveCity(view, -1); return true;
    case IDC_MOVE_DOWN: MoveCity(view, +1); return true;
    default: return false;
    }
}

void WorldClockWindow::OnNotify(DialogView& view, int controlId, int notifyCode) {
    if (controlId == IDC_CITY_LIST && notifyCode == kNotifyListItemChanged) EnableEditing(view);
}

void WorldClockWindow::OnTimer(DialogView& view, int timerId) {
    if (timerId == kClockTimer) ShowTimes(view);
}

void WorldClockWindow::AddCity(DialogView& view) {
    if (m_cities.size() >= kMostCities) {
        view.ShowMessage("The world clock shows at most " + std::to_string(kMostCities) + " cities.",
                         MessageIcon::Information);
        return;
    }
    AddCityDialog dialog(m_zones.All());
    if (view.RunModalChild(dialog) != kIdOk || !dialog.Chosen()) return;
    m_cities.push_back(*dialog.Chosen());
    Remember();
    ListCities(view, static_cast<int>(m_cities.size()) - 1);
}

void WorldClockWindow::RemoveCity(DialogView& view) {
    const int row = view.SelectedListRow(IDC_CITY_LIST);
    if (row < 0 || row >= static_cast<int>(m_cities.size())) return;
    m_cities.erase(m_cities.begin() + row);
    Remember();
    ListCities(view, std::min(row, static_cast<int>(m_cities.size()) - 1));
    // Keyboard users keep their place when the button they used goes grey.
    if (m_cities.empty()) view.Focus(IDC_ADD_CITY);
}

void WorldClockWindow::MoveCity(DialogView& view, int by) {
    const int row = view.SelectedListRow(IDC_CITY_LIST);
    const int to = row + by;
    if (row < 0 || to < 0 || to >= static_cast<int>(m_cities.size())) return;
    std::swap(m_cities[static_cast<std::size_t>(row)], m_cities[static_cast<std::size_t>(to)]);
    Remember();
    ListCities(view, to);
    if (to == 0 || to == static_cast<int>(m_cities.size()) - 1) view.Focus(IDC_CITY_LIST);
}

void WorldClockWindow::ListCities(DialogView& view, int selected) {
    view.ClearList(IDC_CITY_LIST);
    for (const City& city : m_cities) view.AddListRow(IDC_CITY_LIST, {city.name});
    view.SelectListRow(IDC_CITY_LIST, selected);
    ShowTimes(view);
    EnableEditing(view);
}

void WorldClockWindow::ShowTimes(DialogView& view) {
    const std::int64_t now = m_platform.NowMicroseconds();
    const std::int64_t seconds = SplitUnixMicros(now).seconds;
    for (std::size_t row = 0; row < m_cities.size(); ++row) {
        const std::optional<ZoneTime> time = TimeInZone(m_zones, m_cities[row].zoneKey, seconds);
        const int at = static_cast<int>(row);
        view.SetListCell(IDC_CITY_LIST, at, kTimeColumn, time ? TimeText(time->local) : kNoTime);
        view.SetListCell(IDC_CITY_LIST, at, kDateColumn, time ? DateText(time->local) : "");
        view.SetListCell(IDC_CITY_LIST, at, kOffsetColumn, time ? OffsetText(*time) : kUnknownZone);
    }
    view.SetTimer(kClockTimer, MillisecondsToNextSecond(now));
}

void WorldClockWindow::EnableEditing(DialogView& view) {
    const int row = view.SelectedListRow(IDC_CITY_LIST);
    const int last = static_cast<int>(m_cities.size()) - 1;
    view.Enable(IDC_REMOVE_CITY, row >= 0);
    view.Enable(IDC_MOVE_UP, row > 0);
    view.Enable(IDC_MOVE_DOWN, row >= 0 && row < last);
}

void WorldClockWindow::Remember() { RememberCities(m_platform, m_cities); }

} // namespace hv
