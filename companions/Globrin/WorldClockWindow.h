#pragma once
#include "Globrin/CityList.h"
#include "Globrin/TimeZones.h"
#include "framework/Dialog.h"
#include "framework/Platform.h"

#include <vector>

namespace hv {

// Globrin's window, titled "World Clock": each city's local time, date and offset from UTC
// under the system's rules for its zone, daylight saving included, turning with the
// seconds. The list can be added to, cut and reordered; every change is remembered per user.
class WorldClockWindow final : public Dialog {
public:
    WorldClockWindow(Platform& platform, TimeZones& zones);

    int TemplateId() const override;
    void OnInit(DialogView& view) override;
    bool OnCommand(DialogView& view, int controlId, int notifyCode) override;
    void OnNotify(DialogView& view, int controlId, int notifyCode) override;
    void OnTimer(DialogView& view, int timerId) override;

private:
    void AddCity(DialogView& view);
    void RemoveCity(DialogView& view);
    void MoveCity(DialogView& view, int by);
    void ListCities(DialogView& view, int selected);
    void ShowTimes(DialogView& view);
    void EnableEditing(DialogView& view);
    void Remember();

    Platform& m_platform;
    TimeZones& m_zones;
    std::vector<City> m_cities;
};

} // namespace hv
