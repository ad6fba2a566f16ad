#include "dialogs/AddServerDialog.h"

#include "dialogs/ServerMeasurement.h"
#include "framework/TextFormat.h"
#include "res/resource.h"

namespace hv {

namespace {
constexpr const char* kUntitled = "Undefined";
constexpr const char* kTextCheckInput = "Please Check Your input!";
constexpr const char* kTextSendFailed =
    "Error to send data,please Check your Internet Connection or the new Server address!";
constexpr const char* kTextRefused = "Please Check your input,Error to add new server!";
constexpr const char* kNoResponse = " doesn't send response data back!";
constexpr const char* kFormatNetDelay = "Netdelay is %.3f sec";

bool IsAcceptableAddress(const std::string& address) { return !address.empty() && IsStorableServerText(address); }
} // namespace

int AddServerDialog::TemplateId() const { return IDD_ADD_SERVER; }

bool AddServerDialog::OnCommand(DialogView& view, int controlId, int notifyCode) {
    if (notifyCode != kNotifyClicked) return false;
    switch (controlId) {
    case IDC_CHECK_SERVER: CheckServer(view); return true;
    case kIdOk: return Accept(view);
    default: return false;
    }
}

void AddServerDialog::OnTimer(DialogView& view, int timerId) {
    if (timerId == kReplyTimeoutTimer) OnReplyTimeout(view);
    if (timerId == kReplyPollTimer) OnReplyPoll(view);
}

void AddServerDialog::CheckServer(DialogView& view) {
    m_title = view.Text(IDC_SERVER_TITLE);
    m_address = view.Text(IDC_SERVER_ADDRESS);
    view.Enable(IDC_CHECK_SERVER, false);
    if (!IsAcceptableAddress(m_address)) {
        view.Enable(IDC_CHECK_SERVER, true);
        view.ShowMessage(kTextCheckInput, MessageIcon::Exclamation);
        return;
    }
    if (!m_sntp.Create()) {
        view.ShowMessage(kTextSocketError, MessageIcon::Error);
        view.Enable(IDC_CHECK_SERVER, true);
        return;
    }
    m_sntp.SetServerAddress(m_address);
    if (m_sntp.AwaitingReply()) {
        view.Enable(IDC_CHECK_SERVER, true);
        return;
    }
    if (!m_sntp.SendRequest()) {
        view.Enable(IDC_CHECK_SERVER, true);
        view.ShowMessage(kTextSendFailed, MessageIcon::Exclamation);
        return;
    }
    view.SetTimer(kReplyTimeoutTimer, kReplyTimeoutMs);
    view.SetTimer(kReplyPollTimer, kReplyPollMs);
}

void AddServerDialog::OnReplyTimeout(DialogView& view) {
    view.Enable(IDC_CHECK_SERVER, true);
    StopTimers(view);
    if (!m_sntp.AwaitingReply()) {
        // The reply came after the last poll, or the name was looked up in vain.
        ReportOutcome(view);
        return;
    }
    m_sntp.Abandon();
    view.SetText(IDC_CHECK_REPORT, m_address + kNoResponse);
}

void AddServerDialog::OnReplyPoll(DialogView& view) {
    if (m_sntp.AwaitingReply()) return;
    view.Enable(IDC_CHECK_SERVER, true);
    StopTimers(view);
    ReportOutcome(view);
}

void AddServerDialog::ReportOutcome(DialogView& view) {
    // A name is looked up after the press; one that is unknown fails as a send would have.
    if (m_sntp.SendFailed()) {
        view.ShowMessage(kTextSendFailed, MessageIcon::Exclamation);
        return;
    }
    if (m_sntp.TooSlow()) {
        view.SetText(IDC_CHECK_REPORT, m_address + kLogDelayTooLong + ".");
        return;
    }
    view.SetText(IDC_CHECK_REPORT, FormatText(kFormatNetDelay, m_sntp.Delay()));
}

void AddServerDialog::StopTimers(DialogView& view) {
    view.KillTimer(kReplyTimeoutTimer);
    view.KillTimer(kReplyPollTimer);
}

bool AddServerDialog::Accept(DialogView& view) {
    std::string title = view.Text(IDC_SERVER_TITLE);
    const std::string address = view.Text(IDC_SERVER_ADDRESS);
    if (title.empty()) title = kUntitled;
    if (!IsAcceptableAddress(address) || !IsStorableServerText(title)) {
        view.ShowMessage(kTextRefused, MessageIcon::Exclamation);
        return true;
    }
    m_title = title;
    m_address = address;
    view.Close(kIdOk);
    return true;
}

} // namespace hv
