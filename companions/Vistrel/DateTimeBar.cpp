#include "Vistrel/DateTimeBar.h"

#include "Vistrel/BarPlace.h"
#include "Vistrel/res/resource.h"
#include "common/ClockText.h"
#include "protocol/CompanionProtocol.h"

#include <algorithm>
#include <array>

namespace hv {
namespace {

constexpr int kClockTimer = 1;
constexpr const char* kTimeDateGap = "  ";

// The status marks differ in shape as well as colour, for eyes that tell colours apart badly;
// the shapes are ones every system font has.
struct StatusMark {
    std::uintptr_t status;
    const char* mark;
    Colour colour;
};
constexpr std::array kStatusMarks{
    StatusMark{kStatusOk, "\u25CF", RgbColour(46, 184, 92)},           // a filled circle, green
    StatusMark{kStatusOutstanding, "\u25CB", RgbColour(245, 176, 25)}, // a hollow circle, amber
    StatusMark{kStatusFailed, "\u25B2", RgbColour(235, 64, 52)},       // a triangle, red
};

// The menu, each item with the code that asks Horvane for it; code 0 marks a separator.
struct BarCommand {
    int menuId;
    const char* text;
    std::uintptr_t code;
};
constexpr std::array kBarCommands{
    BarCommand{IDM_BAR_SYNCHRONIZE, "&Synchronize Time", kCodeSynchronizeTime},
    BarCommand{IDM_BAR_WORLD_CLOCK, "&World Clock", kCodeWorldClock},
    BarCommand{IDM_BAR_CALENDAR, "&Calendar", kCodeCalendar},
    BarCommand{0, "", 0},
    BarCommand{IDM_BAR_PREFERENCES, "&Preferences...", kCodePreferences},
    BarCommand{IDM_BAR_SHUTDOWN, "Shut&Down Computer ...", kCodeShutDown},
    BarCommand{IDM_BAR_VIEW_LOG, "&View Log", kCodeViewLog},
    BarCommand{0, "", 0},
    BarCommand{IDM_BAR_HELP, "&Help", kCodeHelp},
};

const StatusMark* MarkOf(std::uintptr_t status) {
    const auto* found = std::find_if(kStatusMarks.begin(), kStatusMarks.end(),
                                     [&](const StatusMark& mark) { return mark.status == status; });
    return found == kStatusMarks.end() ? nullptr : found;
}

} // namespace

DateTimeBar::DateTimeBar(Platform& platform, PanelLink& panel) : m_platform(platform), m_panel(panel) {}

int DateTimeBar::TemplateId() const { return IDD_DATETIME_BAR; }

void DateTimeBar::OnInit(DialogView& view) {
    m_appearance = ReadBarAppearance(m_platform);
    ShowStatus(view, m_status);
    ShowTime(view);
}

bool DateTimeBar::OnCommand(DialogView& /*view*/, int controlId, int /*notifyCode*/) {
    for (const BarCommand& command : kBarCommands) {
        if (command.code != 0 && command.menuId == controlId) {
            m_panel.Send(command.code);
            return true;
        }
    }
    return false;
}

void DateTimeBar::OnTimer(DialogView& view, int timerId) {
    if (timerId == kClockTimer) ShowTime(view);
}

bool DateTimeBar::OnCopyData(DialogView& view, std::uintptr_t code, std::string_view /*text*/) {
    if (MarkOf(code) != nullptr) {
        ShowStatus(view, code);
        return true;
    }
    if (code == kCodeBarSettingsChanged) {
        m_appearance = ReadBarAppearance(m_platform);
        ShowTime(view);
        return true;
    }
    if (code == kCodeQuit) {
        view.Close(0);
        return true;
    }
    return false;
}

OpeningPlace DateTimeBar::PlaceToOpen() {
    // Out of the way above the notification area until the user puts it elsewhere.
    return OpeningPlace{ReadBarPlace(m_platform), true};
}

void DateTimeBar::OnMoved(DialogView& /*view*/, ScreenPoint topLeft) { RememberBarPlace(m_platform, topLeft); }

std::vector<MenuItem> DateTimeBar::ContextMenu() {
    std::vector<MenuItem> menu;
    for (const BarCommand& command : kBarCommands) menu.push_back(MenuItem{command.menuId, command.text, false});
    return menu;
}

std::optional<ControlColours> DateTimeBar::ColoursOf(int controlId) const {
    if (controlId == IDC_BAR_STATUS) return ControlColours{MarkOf(m_status)->colour, m_appearance.background};
    if (controlId == IDC_BAR_TIME || controlId == kDialogItself) {
        return ControlColours{m_appearance.text, m_appearance.background};
    }
    return std::nullopt;
}

void DateTimeBar::ShowTime(DialogView& view) {
    const std::int64_t now = m_platform.NowMicroseconds();
    const CivilTime local = m_platform.ToLocalTime(SplitUnixMicros(now).seconds);
    const std::string text = m_appearance.timeOnly ? TimeText(local) : TimeText(local) + kTimeDateGap + DateText(local);
    view.SetText(IDC_BAR_TIME, text);
    view.SetTimer(kClockTimer, MillisecondsToNextSecond(now));
}

void DateTimeBar::ShowStatus(DialogView& view, std::uintptr_t status) {
    m_status = status;
    view.SetText(IDC_BAR_STATUS, MarkOf(status)->mark);
}

} // namespace hv
