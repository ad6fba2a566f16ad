#include "dialogs/ServerTable.h"

#include "settings/ServerList.h"

#include <cmath>

namespace hv {
namespace {
// A delay of this many milliseconds or more is no answer worth choosing.
constexpr long kSlowestChoosableDelayMs = 10000;
constexpr double kMillisPerSecond = 1000.0;

// Delays are ranked as the list shows them, to the millisecond, so that of rows showing
// the same delay the earlier wins.
long RankOf(double delay) { return std::lround(delay * kMillisPerSecond); }
} // namespace

ServerTable::ServerTable(std::string_view encodedList) {
    if (CountChar(encodedList, kEntryEnd) == 0) return;
    m_defaultIndex = DefaultServerIndex(encodedList);
    const auto entries = ParseServerEntries(encodedList);
    for (std::size_t number = 0; number < entries.size(); ++number) {
        if (!entries[number]) continue;
        m_rows.push_back({entries[number]->title, entries[number]->address, {}, false});
        if (static_cast<int>(number) == m_defaultIndex) m_defaultAtStart = entries[number]->address;
    }
}

std::string ServerTable::Encoded() const {
    std::vector<TimeServer> servers;
    for (const Row& row : m_rows) servers.push_back({row.title, row.address});
    return EncodeServerList(servers, m_defaultIndex);
}

bool ServerTable::CanAdd() const { return m_rows.size() < kMaxServers; }

void ServerTable::Add(std::string title, std::string address) {
    if (CanAdd()) m_rows.push_back({std::move(title), std::move(address), {}, false});
}

void ServerTable::Delete(int row) {
    if (row >= 0 && row < static_cast<int>(m_rows.size())) m_rows.erase(m_rows.begin() + row);
}

void ServerTable::SetDefault(int row) {
    if (row >= 0 && row < static_cast<int>(m_rows.size())) m_defaultIndex = row;
}

void ServerTable::BeginTest(int row) { m_measured = row; }

void ServerTable::BeginFindBest() {
    for (Row& row : m_rows) {
        row.delay.reset();
        row.failed = false;
    }
    m_findingBest = true;
    m_nextToFind = 0;
}

std::optional<int> ServerTable::NextToFind() const {
    if (!m_findingBest || m_measured || m_nextToFind >= static_cast<int>(m_rows.size())) return std::nullopt;
    return m_nextToFind;
}

void ServerTable::BeginFinding(int row) {
    m_measured = row;
    m_nextToFind = row + 1;
}

void ServerTable::Measured(double delay) {
    if (!m_measured) return;
    m_rows[static_cast<std::size_t>(*m_measured)].delay = delay;
    m_measured.reset();
}

void ServerTable::Failed() {
    if (!m_measured) return;
    m_rows[static_cast<std::size_t>(*m_measured)].failed = true;
    m_measured.reset();
}

void ServerTable::Unanswered() { m_measured.reset(); }

std::optional<int> ServerTable::FinishFindBest() {
    m_findingBest = false;
    m_measured.reset();
    std::optional<int> best;
    long bestRank = kSlowestChoosableDelayMs;
    for (std::size_t row = 0; row < m_rows.size(); ++row) {
        if (!m_rows[row].delay) continue;
        const long rank = RankOf(*m_rows[row].delay);
        // Strictly faster: of equal delays the earlier row wins.
        if (rank < bestRank) {
            bestRank = rank;
            best = static_cast<int>(row);
        }
    }
    if (best) m_defaultIndex = *best;
    return best;
}

} // namespace hv
