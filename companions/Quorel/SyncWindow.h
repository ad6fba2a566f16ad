#pragma once
#include "Quorel/Transcript.h"
#include "common/PanelLink.h"
#include "framework/Dialog.h"

namespace hv {

// Quorel's window, titled "sync": asks Horvane for its time server, starts and stops a
// synchronisation run on the user's word, and keeps a transcript of every text Horvane
// sends back. The buttons follow the run: Synchronize while none is on, Stop while one is,
// neither while Horvane is not running (which the window keeps watching for).
class SyncWindow final : public Dialog {
public:
    explicit SyncWindow(PanelLink& panel);

    int TemplateId() const override;
    void OnInit(DialogView& view) override;
    bool OnCommand(DialogView& view, int controlId, int notifyCode) override;
    void OnTimer(DialogView& view, int timerId) override;
    bool OnCopyData(DialogView& view, std::uintptr_t code, std::string_view text) override;
    bool FollowsLastLine(int controlId) const override;

private:
    enum class State { NoHorvane, Ready, Running };

    void WatchForHorvane(DialogView& view);
    void Synchronize(DialogView& view);
    void Stop(DialogView& view);
    void ShowServer(DialogView& view, std::string_view address);
    void Report(DialogView& view, std::string_view text, State after);
    void Enter(DialogView& view, State state);

    PanelLink& m_panel;
    State m_state = State::NoHorvane;
    Transcript m_transcript;
};

} // namespace hv
