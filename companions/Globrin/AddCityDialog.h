#pragma once
#include "Globrin/CityList.h"
#include "Globrin/TimeZones.h"
#include "framework/Dialog.h"

#include <optional>
#include <vector>

namespace hv {

// Asks for a city: its time zone from the system's list and its name, which a chosen zone
// suggests ("Amsterdam" for "(UTC+01:00) Amsterdam, Berlin, ...") until the user types one.
class AddCityDialog final : public Dialog {
public:
    explicit AddCityDialog(std::vector<TimeZoneName> zones);

    int TemplateId() const override;
    void OnInit(DialogView& view) override;
    bool OnCommand(DialogView& view, int controlId, int notifyCode) override;
    void OnNotify(DialogView& view, int controlId, int notifyCode) override;

    // The city, once closed with OK.
    const std::optional<City>& Chosen() const { return m_chosen; }

private:
    void SuggestName(DialogView& view);
    bool Accept(DialogView& view);

    std::vector<TimeZoneName> m_zones;
    std::string m_suggested;
    std::optional<City> m_chosen;
};

} // namespace hv
