#include "timeservice/ApprovedServers.h"

#include "timeservice/ServerName.h"

#include <algorithm>

namespace hv {
namespace {
constexpr char kStoredSeparator = ' ';
} // namespace

ApprovedServers ApprovedServers::FromStored(std::string_view stored) {
    ApprovedServers list;
    while (!stored.empty()) {
        const std::size_t end = std::min(stored.find(kStoredSeparator), stored.size());
        list.Add(stored.substr(0, end));
        stored.remove_prefix(std::min(end + 1, stored.size()));
    }
    return list;
}

std::string ApprovedServers::Stored() const {
    std::string stored;
    for (const std::string& name : m_names) {
        if (!stored.empty()) stored += kStoredSeparator;
        stored += name;
    }
    return stored;
}

bool ApprovedServers::Contains(std::string_view server) const {
    const auto name = NormaliseServerName(server);
    return name && std::find(m_names.begin(), m_names.end(), *name) != m_names.end();
}

bool ApprovedServers::Add(std::string_view server) {
    const auto name = NormaliseServerName(server);
    if (!name || IsSingleLabel(*name)) return false;
    if (std::find(m_names.begin(), m_names.end(), *name) == m_names.end()) m_names.push_back(*name);
    return true;
}

bool ApprovedServers::Remove(std::string_view server) {
    const auto name = NormaliseServerName(server);
    if (!name) return false;
    const auto found = std::find(m_names.begin(), m_names.end(), *name);
    if (found == m_names.end()) return false;
    m_names.erase(found);
    return true;
}

} // namespace hv
