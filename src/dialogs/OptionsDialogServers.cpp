#include "dialogs/AddServerDialog.h"
#include "dialogs/OptionsDialog.h"
#include "dialogs/ServerMeasurement.h"
#include "res/resource.h"
#include "settings/ServerList.h"

#include <cstdlib>

namespace hv {

namespace {
constexpr int kTitleColumn = 0;
constexpr int kAddressColumn = 1;
constexpr int kDelayColumn = 2;
const std::vector<ListColumn> kServerColumns = {{"Title", 210}, {"Address", 110}, {"Delay", 65}};

constexpr const char* kDefaultServerLabel = "Current Default Server:";
constexpr const char* kDelayError = "Error";
constexpr const char* kFormatDelayCell = "%.3fsec";
constexpr char kDelayUnitStart = 's';
// A delay of this many seconds or more is no answer worth choosing.
constexpr double kSlowestChoosableDelay = 10.0;

// The buttons that would start another list operation, or end the dialog, while a server
// is measured.
constexpr int kButtonsLockedWhileMeasuring[] = {IDC_TEST_SERVER, IDC_ADD_SERVER, IDC_DELETE_SERVER,
                                                IDC_SET_DEFAULT, IDC_FIND_BEST,  kIdOk,
                                                kIdCancel};
} // namespace

void OptionsDialog::FillServerList(DialogView& view) {
    view.SetListColumns(IDC_SERVER_LIST, kServerColumns);
    view.SetText(IDC_DEFAULT_LABEL, kDefaultServerLabel);
    const std::string& list = m_settings.serverList;
    if (CountChar(list, kEntryEnd) == 0) return;
    m_defaultIndex = DefaultServerIndex(list);
    // An entry without an address has no row but keeps its number, which the default
    // index counts in.
    const auto entries = ParseServerEntries(list);
    for (std::size_t number = 0; number < entries.size(); ++number) {
        if (!entries[number]) continue;
        view.AddListRow(IDC_SERVER_LIST, {entries[number]->title, entries[number]->address, ""});
        if (static_cast<int>(number) == m_defaultIndex) ShowDefaultServer(view, entries[number]->address);
    }
}

std::string OptionsDialog::EncodedServerList(DialogView& view) {
    std::vector<TimeServer> servers;
    for (int row = 0; row < view.ListRowCount(IDC_SERVER_LIST); ++row) {
        servers.push_back({view.ListCell(IDC_SERVER_LIST, row, kTitleColumn),
                           view.ListCell(IDC_SERVER_LIST, row, kAddressColumn)});
    }
    return EncodeServerList(servers, m_defaultIndex);
}

void OptionsDialog::ShowDefaultServer(DialogView& view, const std::string& address) {
    view.SetText(IDC_DEFAULT_LABEL, kDefaultServerLabel + address);
}

void OptionsDialog::AddServer(DialogView& view) {
    if (view.ListRowCount(IDC_SERVER_LIST) >= static_cast<int>(kMaxServers)) return;
    AddServerDialog adding(m_platform);
    if (view.RunModalChild(adding) != kIdOk || adding.Address().empty()) return;
    view.AddListRow(IDC_SERVER_LIST, {adding.Title(), adding.Address(), ""});
}

void OptionsDialog::DeleteSelected(DialogView& view) {
    // The default index keeps its number: it now names the row that moved up into place.
    const int row = view.SelectedListRow(IDC_SERVER_LIST);
    if (row >= 0) view.DeleteListRow(IDC_SERVER_LIST, row);
}

void OptionsDialog::SetDefault(DialogView& view) {
    const int row = view.SelectedListRow(IDC_SERVER_LIST);
    if (row < 0) return;
    m_defaultIndex = row;
    ShowDefaultServer(view, view.ListCell(IDC_SERVER_LIST, row, kAddressColumn));
}

// --- measuring --------------------------------------------------------------------------------

void OptionsDialog::TestServer(DialogView& view) {
    m_testRunning = false;
    const int row = view.SelectedListRow(IDC_SERVER_LIST);
    if (row < 0) return;
    SetButtons(view, false);
    m_testRow = row;
    if (StartQuery(view, view.ListCell(IDC_SERVER_LIST, row, kAddressColumn))) return;
    m_testRow = -1;
    SetButtons(view, true);
    view.SetListCell(IDC_SERVER_LIST, row, kDelayColumn, kDelayError);
}

void OptionsDialog::FindBest(DialogView& view) {
    for (int row = 0; row < view.ListRowCount(IDC_SERVER_LIST); ++row) {
        view.SetListCell(IDC_SERVER_LIST, row, kDelayColumn, "");
    }
    SetButtons(view, false);
    m_findBestRunning = true;
    m_testRow = 0;
    m_testRunning = false;
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
    view.KillTimer(kReplyTimeoutTimer);
    view.KillTimer(kReplyPollTimer);
    // A reply that came after the last poll is not shown: the measurement has run out.
    if (m_sntp.AwaitingReply()) {
        m_sntp.Abandon();
        if (m_testRow >= 0) view.SetListCell(IDC_SERVER_LIST, m_testRow, kDelayColumn, kDelayError);
    }
    EndMeasurement(view);
}

void OptionsDialog::OnReplyPoll(DialogView& view) {
    if (m_sntp.AwaitingReply()) return;
    view.KillTimer(kReplyPollTimer);
    view.KillTimer(kReplyTimeoutTimer);
    // A name looked up in vain ends the measurement as a failed send does.
    view.SetListCell(IDC_SERVER_LIST, m_testRow, kDelayColumn,
                     m_sntp.SendFailed() ? kDelayError : FormatDelay(kFormatDelayCell, m_sntp.Delay()));
    EndMeasurement(view);
}

void OptionsDialog::EndMeasurement(DialogView& view) {
    m_testRunning = false;
    SetButtons(view, true);
    ++m_testRow;
}

void OptionsDialog::OnFindBestStep(DialogView& view) {
    const int rows = view.ListRowCount(IDC_SERVER_LIST);
    if (m_testRow >= rows) {
        view.KillTimer(kFindBestStepTimer);
        m_testRunning = false;
        m_findBestRunning = false;
        SetButtons(view, true);
        ChooseBest(view);
        return;
    }
    if (m_testRunning) return;
    // The selection follows the measurement through the list.
    view.SelectListRow(IDC_SERVER_LIST, m_testRow);
    if (StartQuery(view, view.ListCell(IDC_SERVER_LIST, m_testRow, kAddressColumn))) return;
    view.SetListCell(IDC_SERVER_LIST, m_testRow, kDelayColumn, kDelayError);
    ++m_testRow;
}

void OptionsDialog::ChooseBest(DialogView& view) {
    double bestDelay = kSlowestChoosableDelay;
    int bestRow = -1;
    for (int row = 0; row < view.ListRowCount(IDC_SERVER_LIST); ++row) {
        const std::string cell = view.ListCell(IDC_SERVER_LIST, row, kDelayColumn);
        if (cell.empty() || cell == kDelayError) continue;
        const double delay = std::strtod(cell.substr(0, cell.find(kDelayUnitStart)).c_str(), nullptr);
        // Strictly faster: of equal delays the earlier row wins.
        if (delay < bestDelay) {
            bestDelay = delay;
            bestRow = row;
        }
    }
    // With no answer at all the user's default stays: an outage must not choose for them.
    if (bestRow < 0) return;
    view.SelectListRow(IDC_SERVER_LIST, bestRow);
    m_defaultIndex = bestRow;
    ShowDefaultServer(view, view.ListCell(IDC_SERVER_LIST, bestRow, kAddressColumn));
}

bool OptionsDialog::StartQuery(DialogView& view, const std::string& address) {
    if (!m_sntp.Create()) return false;
    m_sntp.SetServerAddress(address);
    if (m_sntp.AwaitingReply() || !m_sntp.SendRequest()) return false;
    view.SetTimer(kReplyTimeoutTimer, kReplyTimeoutMs);
    view.SetTimer(kReplyPollTimer, kReplyPollMs);
    m_testRunning = true;
    return true;
}

void OptionsDialog::SetButtons(DialogView& view, bool enabled) {
    if (Measuring()) return;
    for (int id : kButtonsLockedWhileMeasuring) view.Enable(id, enabled);
}

} // namespace hv
