#include "dialogs/AddServerDialog.h"
#include "dialogs/OptionsDialog.h"
#include "dialogs/ServerMeasurement.h"
#include "framework/TextFormat.h"
#include "res/resource.h"

namespace hv {

namespace {
constexpr int kDelayColumn = 2;
const std::vector<ListColumn> kServerColumns = {{"Title", 210}, {"Address", 110}, {"Delay", 65}};

constexpr const char* kDefaultServerLabel = "Current Default Server:";
constexpr const char* kDelayError = "Error";
constexpr const char* kFormatDelayCell = "%.3fsec";

// The buttons that would start another list operation, or end the dialog, while a server
// is measured.
constexpr int kButtonsLockedWhileMeasuring[] = {IDC_TEST_SERVER, IDC_ADD_SERVER, IDC_DELETE_SERVER, IDC_SET_DEFAULT,
                                                IDC_FIND_BEST,   kIdOk,          kIdCancel};
} // namespace

void OptionsDialog::FillServerList(DialogView& view) {
    view.SetListColumns(IDC_SERVER_LIST, kServerColumns);
    view.SetText(IDC_DEFAULT_LABEL, kDefaultServerLabel);
    for (const ServerTable::Row& row : m_servers.Rows()) view.AddListRow(IDC_SERVER_LIST, {row.title, row.address, ""});
    if (const auto& address = m_servers.DefaultAddressAtStart()) ShowDefaultServer(view, *address);
}

void OptionsDialog::ShowDefaultServer(DialogView& view, const std::string& address) {
    view.SetText(IDC_DEFAULT_LABEL, kDefaultServerLabel + address);
}

void OptionsDialog::ShowDelay(DialogView& view, int row) {
    const ServerTable::Row& server = m_servers.Rows()[static_cast<std::size_t>(row)];
    const std::string text = server.failed  ? kDelayError
                             : server.delay ? FormatText(kFormatDelayCell, *server.delay)
                                            : "";
    view.SetListCell(IDC_SERVER_LIST, row, kDelayColumn, text);
}

void OptionsDialog::AddServer(DialogView& view) {
    if (!m_servers.CanAdd()) return;
    AddServerDialog adding(m_platform);
    if (view.RunModalChild(adding) != kIdOk || adding.Address().empty()) return;
    m_servers.Add(adding.Title(), adding.Address());
    view.AddListRow(IDC_SERVER_LIST, {adding.Title(), adding.Address(), ""});
}

void OptionsDialog::DeleteSelected(DialogView& view) {
    const int row = view.SelectedListRow(IDC_SERVER_LIST);
    if (row < 0) return;
    m_servers.Delete(row);
    view.DeleteListRow(IDC_SERVER_LIST, row);
}

void OptionsDialog::SetDefault(DialogView& view) {
    const int row = view.SelectedListRow(IDC_SERVER_LIST);
    if (row < 0) return;
    m_servers.SetDefault(row);
    ShowDefaultServer(view, m_servers.Rows()[static_cast<std::size_t>(row)].address);
}

// --- measuring --------------------------------------------------------------------------------

void OptionsDialog::TestServer(DialogView& view) {
    const int row = view.SelectedListRow(IDC_SERVER_LIST);
    if (row < 0) return;
    SetButtons(view, false);
    m_servers.BeginTest(row);
    if (StartQuery(view, row)) return;
    m_servers.Failed();
    ShowDelay(view, row);
    SetButtons(view, true);
}

void OptionsDialog::FindBest(DialogView& view) {
    SetButtons(view, false);
    m_servers.BeginFindBest();
    for (int row = 0; row < static_cast<int>(m_servers.Rows().size()); ++row) ShowDelay(view, row);
    view.SetTimer(kFindBestStepTimer, kFindBestStepMs);
}

void OptionsDialog::OnTimer(DialogView& view, int timerId) {
    switch (timerId) {
    case kReplyTimeoutTimer: OnReplyTimeout(view); break;
    case kReplyPollTimer: OnReplyPoll(view); break;
    case kFindBestStepTimer: OnFindBestStep(view); break;
    default: break;
    }
}

void OptionsDialog::OnReplyTimeout(DialogView& view) {
    const std::optional<int> row = m_servers.MeasuredRow();
    // A reply that came after the last poll is not shown: the measurement has run out.
    if (m_sntp.AwaitingReply()) {
        m_sntp.Abandon();
        m_servers.Failed();
    } else {
        m_servers.Unanswered();
    }
    EndMeasurement(view, row);
}

void OptionsDialog::OnReplyPoll(DialogView& view) {
    if (m_sntp.AwaitingReply()) return;
    const std::optional<int> row = m_servers.MeasuredRow();
    // A reply too slow to be trusted, or a name looked up in vain, is no candidate for the
    // best server either.
    if (m_sntp.TooSlow() || m_sntp.SendFailed()) {
        m_servers.Failed();
    } else {
        m_servers.Measured(m_sntp.Delay());
    }
    EndMeasurement(view, row);
}

void OptionsDialog::EndMeasurement(DialogView& view, std::optional<int> row) {
    view.KillTimer(kReplyTimeoutTimer);
    view.KillTimer(kReplyPollTimer);
    if (row) ShowDelay(view, *row);
    SetButtons(view, true);
}

void OptionsDialog::OnFindBestStep(DialogView& view) {
    if (m_servers.Asking()) return;
    if (const std::optional<int> row = m_servers.NextToFind()) {
        // The selection follows the measurement through the list.
        view.SelectListRow(IDC_SERVER_LIST, *row);
        m_servers.BeginFinding(*row);
        if (StartQuery(view, *row)) return;
        m_servers.Failed();
        ShowDelay(view, *row);
        return;
    }
    view.KillTimer(kFindBestStepTimer);
    const std::optional<int> best = m_servers.FinishFindBest();
    SetButtons(view, true);
    // With no answer at all the user's default stays: an outage must not choose for them.
    if (!best) return;
    view.SelectListRow(IDC_SERVER_LIST, *best);
    ShowDefaultServer(view, m_servers.Rows()[static_cast<std::size_t>(*best)].address);
}

bool OptionsDialog::StartQuery(DialogView& view, int row) {
    if (!m_sntp.Create()) return false;
    m_sntp.SetServerAddress(m_servers.Rows()[static_cast<std::size_t>(row)].address);
    if (m_sntp.AwaitingReply() || !m_sntp.SendRequest()) return false;
    view.SetTimer(kReplyTimeoutTimer, kReplyTimeoutMs);
    view.SetTimer(kReplyPollTimer, kReplyPollMs);
    return true;
}

void OptionsDialog::SetButtons(DialogView& view, bool enabled) {
    if (m_servers.Measuring()) return;
    for (int id : kButtonsLockedWhileMeasuring) view.Enable(id, enabled && !LockedByPolicy(id));
}

} // namespace hv
