#pragma once
#include "common/PanelLink.h"
#include "framework/Dialog.h"
#include "framework/Platform.h"
#include "protocol/BarValues.h"

namespace hv {

// Vistrel's window, titled "VistrelShow": an always-on-top bar with the local time (and the
// date unless time-only is set) in the colours Horvane's options stored, and a mark for
// the state of synchronisation that Horvane reports. Dragged by any point; remembers where
// it was left. Its right-click menu asks Horvane for its commands.
class DateTimeBar final : public Dialog {
public:
    DateTimeBar(Platform& platform, PanelLink& panel);

    int TemplateId() const override;
    void OnInit(DialogView& view) override;
    bool OnCommand(DialogView& view, int controlId, int notifyCode) override;
    void OnTimer(DialogView& view, int timerId) override;
    bool OnCopyData(DialogView& view, std::uintptr_t code, std::string_view text) override;
    bool StaysOnTop() const override { return true; }
    bool MovesByBody() const override { return true; }
    OpeningPlace PlaceToOpen() override;
    void OnMoved(DialogView& view, ScreenPoint topLeft) override;
    std::vector<MenuItem> ContextMenu() override;
    std::optional<ControlColours> ColoursOf(int controlId) const override;

private:
    void ShowTime(DialogView& view);
    void ShowStatus(DialogView& view, std::uintptr_t status);

    Platform& m_platform;
    PanelLink& m_panel;
    BarAppearance m_appearance;
    // Before Horvane says otherwise, all is well, as it is before the first run.
    std::uintptr_t m_status = 0;
};

} // namespace hv
