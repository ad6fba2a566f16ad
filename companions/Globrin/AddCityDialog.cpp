#include "Globrin/AddCityDialog.h"

#include "Globrin/res/resource.h"

namespace hv {
namespace {

constexpr int kZoneColumnWidth = 340;
constexpr const char* kZoneColumn = "Time zone";
constexpr const char* kChooseZone = "Choose the city's time zone from the list.";
constexpr const char* kTypeName = "Type the city's name.";

// "(UTC+01:00) Amsterdam, Berlin, ..." suggests "Amsterdam"; a name without places, itself.
std::string FirstPlaceOf(const std::string& display) {
    std::size_t start = display.rfind(") ", display.find(','));
    start = start == std::string::npos ? 0 : start + 2;
    return CleanCityName(display.substr(start, display.find(',', start) - start));
}

} // namespace

AddCityDialog::AddCityDialog(std::vector<TimeZoneName> zones) : m_zones(std::move(zones)) {}

int AddCityDialog::TemplateId() const { return IDD_ADD_CITY; }

void AddCityDialog::OnInit(DialogView& view) {
    view.SetListColumns(IDC_ZONE_LIST, {{kZoneColumn, kZoneColumnWidth}});
    for (const TimeZoneName& zone : m_zones) view.AddListRow(IDC_ZONE_LIST, {zone.display});
}

bool AddCityDialog::OnCommand(DialogView& view, int controlId, int /*notifyCode*/) {
    return controlId == kIdOk && Accept(view);
}

void AddCityDialog::OnNotify(DialogView& view, int controlId, int notifyCode) {
    if (controlId == IDC_ZONE_LIST && notifyCode == kNotifyListItemChanged) SuggestName(view);
}

// A name the user typed stays; one this dialog suggested follows the chosen zone.
void AddCityDialog::SuggestName(DialogView& view) {
    const int row = view.SelectedListRow(IDC_ZONE_LIST);
    if (row < 0 || static_cast<std::size_t>(row) >= m_zones.size()) return;
    const std::string typed = view.Text(IDC_CITY_NAME);
    if (!typed.empty() && typed != m_suggested) return;
    m_suggested = FirstPlaceOf(m_zones[static_cast<std::size_t>(row)].display);
    view.SetText(IDC_CITY_NAME, m_suggested);
}

bool AddCityDialog::Accept(DialogView& view) {
    const int row = view.SelectedListRow(IDC_ZONE_LIST);
    if (row < 0 || static_cast<std::size_t>(row) >= m_zones.size()) {
        view.ShowMessage(kChooseZone, MessageIcon::Exclamation);
        view.Focus(IDC_ZONE_LIST);
        return true;
    }
    std::string name = CleanCityName(view.Text(IDC_CITY_NAME));
    if (name.empty()) {
        view.ShowMessage(kTypeName, MessageIcon::Exclamation);
        view.Focus(IDC_CITY_NAME);
        return true;
    }
    m_chosen = City{std::move(name), m_zones[static_cast<std::size_t>(row)].key};
    view.Close(kIdOk);
    return true;
}

} // namespace hv
