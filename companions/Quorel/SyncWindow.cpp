#include "Quorel/SyncWindow.h"

#include "Quorel/res/resource.h"
#include "common/CleanText.h"
#include "protocol/CompanionProtocol.h"

namespace hv {
namespace {

constexpr int kWatchTimer = 1;
constexpr unsigned kWatchPeriodMs = 2000;
// A host name is at most 253 characters; anything longer is not an address.
constexpr std::size_t kLongestAddress = 255;

constexpr const char* kStatusNoHorvane = "Horvane is not running.";
constexpr const char* kStatusReady = "Ready.";
constexpr const char* kStatusRunning = "Waiting for the time server...";
constexpr const char* kNoServerChosen = "(none chosen yet)";

} // namespace

SyncWindow::SyncWindow(PanelLink& panel) : m_panel(panel) {}

int SyncWindow::TemplateId() const { return IDD_SYNC_WINDOW; }

void SyncWindow::OnInit(DialogView& view) {
    Enter(view, State::NoHorvane);
    WatchForHorvane(view);
    view.SetTimer(kWatchTimer, kWatchPeriodMs);
}

bool SyncWindow::OnCommand(DialogView& view, int controlId, int /*notifyCode*/) {
    switch (controlId) {
    case IDC_SYNC_START: Synchronize(view); return true;
    case IDC_SYNC_STOP: Stop(view); return true;
    default: return false;
    }
}

void SyncWindow::OnTimer(DialogView& view, int timerId) {
    if (timerId == kWatchTimer) WatchForHorvane(view);
}

bool SyncWindow::OnCopyData(DialogView& view, std::uintptr_t code, std::string_view text) {
    switch (code) {
    case kCodeServerAddress: ShowServer(view, text); return true;
    // Whether this window's request went out or one was already running, a run is on.
    case kCodeStartSync: Report(view, text, State::Running); return true;
    case kCodeStopSync:
    case kCodeSyncResult: Report(view, text, State::Ready); return true;
    case kCodeQuit: view.Close(0); return true;
    default: return false;
    }
}

bool SyncWindow::FollowsLastLine(int controlId) const { return controlId == IDC_SYNC_TRANSCRIPT; }

// Horvane may start after this window, or end without telling it.
void SyncWindow::WatchForHorvane(DialogView& view) {
    const bool present = m_panel.Present();
    if (present == (m_state != State::NoHorvane)) return;
    Enter(view, present ? State::Ready : State::NoHorvane);
    if (present) m_panel.Send(kCodeServerAddress);
}

void SyncWindow::Synchronize(DialogView& view) {
    if (m_state != State::Ready) return;
    // Running before the request: Horvane's answer comes back while it is being sent.
    Enter(view, State::Running);
    if (!m_panel.Send(kCodeStartSync)) Enter(view, State::NoHorvane);
}

void SyncWindow::Stop(DialogView& view) {
    if (m_state != State::Running) return;
    if (!m_panel.Send(kCodeStopSync)) Enter(view, State::NoHorvane);
}

void SyncWindow::ShowServer(DialogView& view, std::string_view address) {
    const std::string shown = PrintableLine(address, kLongestAddress);
    view.SetText(IDC_SYNC_SERVER, shown.empty() ? kNoServerChosen : shown);
}

void SyncWindow::Report(DialogView& view, std::string_view text, State after) {
    m_transcript.Append(text);
    view.SetText(IDC_SYNC_TRANSCRIPT, m_transcript.Text());
    if (m_state != State::NoHorvane) Enter(view, after);
}

void SyncWindow::Enter(DialogView& view, State state) {
    const State before = m_state;
    m_state = state;
    view.Enable(IDC_SYNC_START, state == State::Ready);
    view.Enable(IDC_SYNC_STOP, state == State::Running);
    switch (state) {
    case State::NoHorvane: view.SetText(IDC_SYNC_STATUS, kStatusNoHorvane); break;
    case State::Ready: view.SetText(IDC_SYNC_STATUS, kStatusReady); break;
    case State::Running: view.SetText(IDC_SYNC_STATUS, kStatusRunning); break;
    }
    // A disabled button cannot keep the focus: it moves to the one that takes over, so the
    // keyboard never loses its place.
    if (before == state) return;
    if (state == State::Running) view.Focus(IDC_SYNC_STOP);
    if (state == State::Ready && before == State::Running) view.Focus(IDC_SYNC_START);
    if (state == State::NoHorvane) view.Focus(kIdCancel);
}

} // namespace hv
